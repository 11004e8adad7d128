#pragma once

#include <QObject>

#include <cstdio>

namespace brellow {

// A key combination that arrives whichever program has the focus: grabbed on the X11 root
// window, or bound through the desktop portal on Wayland; tests put their own in its place.
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

protected:
    // Said on standard error: a key that never arrives would otherwise leave no trace.
    static void SayUnavailable(const char* why)
    {
        std::fprintf(stderr, "Brellow2: the global hot key is not available: %s\n", why);
    }
};

}  // namespace brellow
