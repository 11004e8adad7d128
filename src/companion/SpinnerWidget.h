#pragma once

#include <QTimer>
#include <QWidget>

namespace spinnet {

// A ring of spokes whose bright end goes round while the program runs.
class SpinnerWidget : public QWidget {
    Q_OBJECT
public:
    explicit SpinnerWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int step_ = 0;
};

}  // namespace spinnet
