#include "desktop/X11HotKey.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace brellow {

namespace {

constexpr uint16_t kIgnoredLocks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kComparedModifiers =
    XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

uint16_t XModifiersOf(int modifiers)
{
    uint16_t mask = 0;
    if (modifiers & HotKey::kModAlt)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & HotKey::kModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & HotKey::kModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & HotKey::kModSuper)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// The key code that carries a letter's lower-case key symbol; 0 when none does.
uint8_t KeycodeOfLetter(xcb_connection_t* connection, int virtualKey)
{
    if (virtualKey < 'A' || virtualKey > 'Z')
        return 0;
    const xcb_keysym_t wanted = static_cast<xcb_keysym_t>(virtualKey - 'A' + 'a');
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    if (!mapping)
        return 0;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    uint8_t found = 0;
    for (int code = 0; code < count && !found; ++code) {
        for (int column = 0; column < perCode; ++column) {
            if (symbols[code * perCode + column] == wanted) {
                found = static_cast<uint8_t>(setup->min_keycode + code);
                break;
            }
        }
    }
    std::free(mapping);
    return found;
}

}  // namespace

xcb_connection_t* QtX11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Some platforms answer the X11 interface without holding a connection.
    return x11 ? x11->connection() : nullptr;
}

std::vector<uint16_t> X11GrabMasks(int modifiers)
{
    std::vector<uint16_t> masks;
    for (uint16_t locks : kIgnoredLocks)
        masks.push_back(XModifiersOf(modifiers) | locks);
    return masks;
}

X11HotKey::X11HotKey(QObject* parent) : HotKey(parent) {}

X11HotKey::~X11HotKey()
{
    Unregister();
}

void X11HotKey::Register(int modifiers, int virtualKey)
{
    Unregister();
    xcb_connection_t* connection = QtX11Connection();
    if (!connection) {
        SayUnavailable("the display is not an X11 display");
        return;
    }
    const uint8_t keycode = KeycodeOfLetter(connection, virtualKey);
    if (!keycode) {
        SayUnavailable("no key of the keyboard carries the letter");
        return;
    }
    connection_ = connection;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    keycode_ = keycode;
    xModifiers_ = XModifiersOf(modifiers);
    modifiersAndKey_ = static_cast<quint32>(modifiers & 0xFFFF) | (static_cast<quint32>(virtualKey) << 16);
    for (uint16_t mask : X11GrabMasks(modifiers)) {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, mask, keycode_, XCB_GRAB_MODE_ASYNC,
                                              XCB_GRAB_MODE_ASYNC));
        if (error)
            std::free(error);
        else
            grabbed_.push_back(mask);
    }
    if (grabbed_.empty()) {
        SayUnavailable("another program holds it");
        connection_ = nullptr;
        return;
    }
    qGuiApp->installNativeEventFilter(this);
}

void X11HotKey::Unregister()
{
    if (!connection_)
        return;
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
    for (uint16_t mask : grabbed_)
        xcb_ungrab_key(connection_, keycode_, root_, mask);
    xcb_flush(connection_);
    grabbed_.clear();
    connection_ = nullptr;
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
        return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->event != root_ || press->detail != keycode_ || (press->state & kComparedModifiers) != xModifiers_)
        return false;
    emit Pressed(modifiersAndKey_);
    return true;
}

}  // namespace brellow
