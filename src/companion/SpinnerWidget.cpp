#include "SpinnerWidget.h"

#include <QPainter>

namespace spinnet {

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMilliseconds = 80;
}  // namespace

SpinnerWidget::SpinnerWidget(QWidget* parent) : QWidget(parent)
{
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
    timer_.start(kStepMilliseconds);
}

QSize SpinnerWidget::sizeHint() const
{
    return QSize(64, 64);
}

void SpinnerWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(side / 64.0, side / 64.0);
    QColor colour = palette().color(QPalette::WindowText);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The spoke at the current step is the brightest; the ones behind it fade out.
        const int age = (step_ - spoke + kSpokes) % kSpokes;
        colour.setAlphaF(1.0 - age / double(kSpokes));
        painter.setPen(QPen(colour, 5, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(spoke * 360.0 / kSpokes);
        painter.drawLine(QPointF(0, -14), QPointF(0, -27));
        painter.restore();
    }
}

}  // namespace spinnet
