#!/usr/bin/python3
"""A desktop tray of the StatusNotifier kind, as far as the program's menu goes.

watch          serves org.kde.StatusNotifierWatcher with a host registered, and prints the
               bus name of each item that registers, one a line
menu SERVICE   prints the item's exported menu (com.canonical.dbusmenu GetLayout), one
               entry a line: label|enabled|toggle-type|toggle-state
"""
import sys

import dbus
import dbus.service
import dbus.mainloop.glib
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(dbus.service.BusName(WATCHER, bus), "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Qt hands over its own well-known name; a path means the sender's own name.
        name = sender if service.startswith("/") else service
        self.items.append(name)
        print(name, flush=True)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    # Qt reads the properties through an interface built from the introspection data.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
        }


def watch():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    watcher = Watcher(dbus.SessionBus())
    GLib.MainLoop().run()
    return watcher


def menu(service):
    bus = dbus.SessionBus()
    item = bus.get_object(service, "/StatusNotifierItem")
    menu_path = item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    layout = bus.get_object(service, menu_path).GetLayout(
        0, -1, dbus.Array([], signature="s"), dbus_interface="com.canonical.dbusmenu")
    for child in layout[1][2]:
        props = child[1]
        print("%s|%d|%s|%d" % (props.get("label", ""), int(props.get("enabled", True)),
                               props.get("toggle-type", ""), int(props.get("toggle-state", -1))))


if __name__ == "__main__":
    if sys.argv[1:] == ["watch"]:
        watch()
    elif len(sys.argv) == 3 and sys.argv[1] == "menu":
        menu(sys.argv[2])
    else:
        sys.exit(__doc__)
