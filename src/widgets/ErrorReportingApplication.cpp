#include "widgets/ErrorReportingApplication.h"

#include <exception>

#include "widgets/MessageBoxes.h"

namespace brellow {

ErrorReportingApplication::ErrorReportingApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromUtf8(error.what()));
    }
    return false;
}

}  // namespace brellow
