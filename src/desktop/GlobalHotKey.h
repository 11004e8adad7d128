#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

struct xcb_connection_t;

namespace brellow {

// A key combination grabbed on the X11 root window, so it arrives whichever program has the
// focus. Without X11, or when another program already holds the combination, registering
// does nothing and the key never arrives.
class GlobalHotKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // The modifier bits of a hot key: Alt 1, Ctrl 2, Shift 4, Super 8.
    static constexpr int kModAlt = 1;
    static constexpr int kModControl = 2;
    static constexpr int kModShift = 4;
    static constexpr int kModSuper = 8;

    explicit GlobalHotKey(QObject* parent = nullptr);
    ~GlobalHotKey() override;

    // virtualKey: an upper-case letter's code, 'A' (0x41) to 'Z' (0x5A).
    void Register(int modifiers, int virtualKey);
    void Unregister();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // The combination was pressed: its modifiers in the low 16 bits, its key in the high 16.
    void Pressed(quint32 modifiersAndKey);

private:
    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint8_t keycode_ = 0;
    uint16_t xModifiers_ = 0;
    quint32 modifiersAndKey_ = 0;
};

}  // namespace brellow
