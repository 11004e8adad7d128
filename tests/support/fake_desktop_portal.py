#!/usr/bin/python3
"""The desktop portal's global shortcuts, as a Wayland desktop offers them on the session bus.
Prints one line for each thing a client does: "ready" once the portal's name is held,
"bind ID TRIGGER" for each shortcut bound, "closed SESSION" when a session is closed.

Right after binding, the portal reports presses: one of the shortcut in another session, one
of another shortcut in the client's session, then the shortcut itself.
  --refuse          the user declines every binding (Response 1)
  --press-on-usr1   the presses come on each SIGUSR1 instead, for the last binding
"""
import signal
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PORTAL = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"


def say(line):
    print(line, flush=True)


def sender_part(sender):
    return sender[1:].replace(".", "_")


class Request(dbus.service.Object):
    """Answers once, after the call that made it has returned, then goes."""

    def __init__(self, bus, path, results, response, then=None):
        super().__init__(bus, path)
        GLib.idle_add(self.answer, response, results, then)

    def answer(self, response, results, then):
        self.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
        self.remove_from_connection()
        if then:
            then()
        return False

    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.path = path

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        say(f"closed {self.path}")
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus, refuse, press_on_signal):
        super().__init__(bus, PATH)
        self.bus = bus
        self.refuse = refuse
        self.press_on_signal = press_on_signal
        self.bound = None

    def request_path(self, sender, options):
        return f"{PATH}/request/{sender_part(sender)}/{options['handle_token']}"

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        session = f"{PATH}/session/{sender_part(sender)}/{options['session_handle_token']}"
        Session(self.bus, session)
        path = self.request_path(sender, options)
        # Portals hand the session handle over as a string.
        Request(self.bus, path, {"session_handle": dbus.String(session)}, 0)
        return dbus.ObjectPath(path)

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        for shortcut_id, properties in shortcuts:
            say(f"bind {shortcut_id} {properties.get('preferred_trigger', '')}")
        path = self.request_path(sender, options)
        if self.refuse:
            Request(self.bus, path, {}, 1)
        else:
            bound = dbus.Array([dbus.Struct((i, dict(p)), signature="sa{sv}") for i, p in shortcuts],
                               signature="(sa{sv})")
            ids = [str(i) for i, _ in shortcuts]
            self.bound = (session, ids)
            Request(self.bus, path, {"shortcuts": bound}, 0, None if self.press_on_signal else lambda: self.press(session, ids))
        return dbus.ObjectPath(path)

    def press(self, session, ids):
        for shortcut_id in ids:
            self.Activated(dbus.ObjectPath(f"{PATH}/session/other/s1"), shortcut_id, dbus.UInt64(1), {})
            self.Activated(session, "another-shortcut", dbus.UInt64(2), {})
            self.Activated(session, shortcut_id, dbus.UInt64(3), {})

    def press_again(self):
        if self.bound:
            self.press(*self.bound)
        return True

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, "--refuse" in sys.argv[1:], "--press-on-usr1" in sys.argv[1:])
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, portal.press_again)
    name = dbus.service.BusName(PORTAL, bus, do_not_queue=True)
    say("ready")
    GLib.MainLoop().run()
    del name, portal


if __name__ == "__main__":
    main()
