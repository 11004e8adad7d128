#include "widgets/WindowLook.h"

#include <algorithm>

#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QScreen>
#include <QWidget>

namespace brellow {

void PaintFace(QWidget& widget, const QColor& face)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QFont JapaneseUiFontPoints(int points)
{
    return QFont(QStringLiteral("Noto Sans CJK JP"), points);
}

QFont JapaneseUiFontPixels(int pixels)
{
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixels);
    return font;
}

void UseWindowFont(QWidget& window)
{
    window.setFont(JapaneseUiFontPixels(11));
}

void FitButtonsToText(QWidget& window)
{
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
        const QFontMetrics metrics(button->font());
        const QString shown = QString(button->text()).remove(QLatin1Char('&'));
        const QSize needed(
            button->width() + std::max(0, metrics.horizontalAdvance(shown) + margin - contents.width()),
            button->height() + std::max(0, metrics.height() - contents.height()));
        if (needed == button->size())
            continue;
        if (button->minimumSize() == button->maximumSize())
            button->setFixedSize(needed);
        else
            button->resize(needed);
    }
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace brellow
