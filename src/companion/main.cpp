// Spinnet: the progress companion shown while a backup run lasts.

#include <QApplication>

#include "SpinnetWindow.h"
#include "TerminationRequest.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    spinnet::TerminationRequest termination;
    spinnet::SpinnetWindow window;
    // Closing the last window, by the user or on request, ends the program.
    QObject::connect(&termination, &spinnet::TerminationRequest::requested, &window, &QWidget::close);
    window.show();
    return application.exec();
}
