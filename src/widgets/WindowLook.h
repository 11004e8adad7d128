#pragma once

#include <QColor>
#include <QFont>

class QPushButton;
class QWidget;

namespace brellow {

// Fills a widget's face with one plain colour.
void PaintFace(QWidget& widget, const QColor& face);

// The Japanese user-interface font the setup installs, at a size in points or pixels.
QFont JapaneseUiFontPoints(int points);
QFont JapaneseUiFontPixels(int pixels);

// The font the settings windows share: the Japanese user-interface font at 11 pixels.
void UseWindowFont(QWidget& window);

// Grows each push button of a window just enough for its text in its font, with the
// style's margin so the text does not touch the face's edges; one that fits keeps its size.
void FitButtonsToText(QWidget& window);

// Moves a top-level window to the middle of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace brellow
