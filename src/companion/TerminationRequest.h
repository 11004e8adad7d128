#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace spinnet {

// Turns SIGTERM into a Qt signal delivered by the event loop: the handler only writes a
// byte to a socket pair, which a notifier reads.
class TerminationRequest : public QObject {
    Q_OBJECT
public:
    explicit TerminationRequest(QObject* parent = nullptr);
    ~TerminationRequest() override;

signals:
    void requested();

private:
    static void HandleSignal(int);
    void Receive();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace spinnet
