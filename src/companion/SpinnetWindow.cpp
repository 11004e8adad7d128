#include "SpinnetWindow.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "SpinnerWidget.h"
#include "companion/CompanionProtocol.h"

namespace spinnet {

namespace {
const char* const kProgramName = "Spinnet";
}  // namespace

SpinnetWindow::SpinnetWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(kProgramName);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new SpinnerWidget(this), 1, Qt::AlignHCenter);
    auto* name = new QLabel(kProgramName, this);
    name->setAlignment(Qt::AlignHCenter);
    layout->addWidget(name);
    resize(220, 150);
}

void SpinnetWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (announced_)
        return;
    announced_ = true;
    // Announced from the event loop, once the show has been carried out.
    QTimer::singleShot(0, this, [] {
        std::printf("%s\n", brellow::companion::kReadyLine);
        std::fflush(stdout);
    });
}

}  // namespace spinnet
