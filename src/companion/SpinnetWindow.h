#pragma once

#include <QWidget>

namespace spinnet {

// The companion's one top-level window: the spinner and the program's name. Once it is on
// screen it writes the line "ready" to standard output, which is what the backup run waits
// for.
class SpinnetWindow : public QWidget {
    Q_OBJECT
public:
    explicit SpinnetWindow(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool announced_ = false;
};

}  // namespace spinnet
