#pragma once

#include <QColor>

class QWidget;

namespace brellow {

// Fills a widget's face with one plain colour.
void PaintFace(QWidget& widget, const QColor& face);

// The font the settings windows share: Tahoma at 11 pixels.
void UseWindowFont(QWidget& window);

// Moves a top-level window to the middle of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace brellow
