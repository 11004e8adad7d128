// Spinnet: the progress companion shown while a backup run lasts.

#include <sys/prctl.h>

#include <QApplication>

#include <csignal>

#include "SpinnetWindow.h"
#include "TerminationRequest.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    spinnet::TerminationRequest termination;
    // Should the backup program die without closing it, the request comes all the same.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    spinnet::SpinnetWindow window;
    // Closing the last window, by the user or on request, ends the program.
    QObject::connect(&termination, &spinnet::TerminationRequest::requested, &window, &QWidget::close);
    window.show();
    return application.exec();
}
