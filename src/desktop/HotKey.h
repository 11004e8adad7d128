#pragma once

#include <QObject>

namespace brellow {

// A key combination that arrives whichever program has the focus. The program grabs it on
// the X11 root window; tests put their own in its place.
class HotKey : public QObject {
    Q_OBJECT
public:
    // The modifier bits of a hot key: Alt 1, Ctrl 2, Shift 4, Super 8.
    static constexpr int kModAlt = 1;
    static constexpr int kModControl = 2;
    static constexpr int kModShift = 4;
    static constexpr int kModSuper = 8;

    using QObject::QObject;

    // virtualKey: an upper-case letter's code, 'A' (0x41) to 'Z' (0x5A). A combination that
    // cannot be had is said on standard error; the key then never arrives.
    virtual void Register(int modifiers, int virtualKey) = 0;
    virtual void Unregister() = 0;

signals:
    // The combination was pressed: its modifiers in the low 16 bits, its key in the high 16.
    void Pressed(quint32 modifiersAndKey);
};

}  // namespace brellow
