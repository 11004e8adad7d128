#pragma once

#include <QApplication>

namespace brellow {

// The application object. An error that leaves an event handler ends up here: it is shown
// in the standard error box and the program goes on with the next event.
class ErrorReportingApplication : public QApplication {
    Q_OBJECT
public:
    ErrorReportingApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace brellow
