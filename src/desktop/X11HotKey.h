#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <vector>

#include "desktop/HotKey.h"

struct xcb_connection_t;

namespace brellow {

// Qt's own connection to the X server; none on other displays.
xcb_connection_t* QtX11Connection();

// The X modifier masks grabbed for a hot key's modifiers: the combination alone and with
// Caps Lock, Num Lock or both, so neither lock stops the key from arriving.
std::vector<uint16_t> X11GrabMasks(int modifiers);

// The hot key grabbed on the X11 root window through Qt's own connection.
class X11HotKey : public HotKey, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    void Register(int modifiers, int virtualKey) override;
    void Unregister() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint8_t keycode_ = 0;
    std::vector<uint16_t> grabbed_;
    uint16_t xModifiers_ = 0;
    quint32 modifiersAndKey_ = 0;
};

}  // namespace brellow
