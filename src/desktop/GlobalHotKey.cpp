#include "desktop/GlobalHotKey.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace brellow {

namespace {

// Caps Lock and Num Lock must not stop the key from arriving, so each combination is
// grabbed with and without them.
constexpr uint16_t kIgnoredLocks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kComparedModifiers =
    XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

uint16_t XModifiersOf(int modifiers)
{
    uint16_t mask = 0;
    if (modifiers & GlobalHotKey::kModAlt)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & GlobalHotKey::kModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & GlobalHotKey::kModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & GlobalHotKey::kModSuper)
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

GlobalHotKey::GlobalHotKey(QObject* parent) : QObject(parent) {}

GlobalHotKey::~GlobalHotKey()
{
    Unregister();
}

void GlobalHotKey::Register(int modifiers, int virtualKey)
{
    Unregister();
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    // Some platforms answer the X11 interface without holding a connection.
    xcb_connection_t* connection = x11->connection();
    if (!connection)
        return;
    const uint8_t keycode = KeycodeOfLetter(connection, virtualKey);
    if (!keycode)
        return;
    connection_ = connection;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    keycode_ = keycode;
    xModifiers_ = XModifiersOf(modifiers);
    modifiersAndKey_ = static_cast<quint32>(modifiers & 0xFFFF) | (static_cast<quint32>(virtualKey) << 16);
    for (uint16_t locks : kIgnoredLocks) {
        // A combination held by another program fails here; that is not reported.
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, xModifiers_ | locks, keycode_,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
    }
    qGuiApp->installNativeEventFilter(this);
}

void GlobalHotKey::Unregister()
{
    if (!connection_)
        return;
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
    for (uint16_t locks : kIgnoredLocks)
        xcb_ungrab_key(connection_, keycode_, root_, xModifiers_ | locks);
    xcb_flush(connection_);
    connection_ = nullptr;
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
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
