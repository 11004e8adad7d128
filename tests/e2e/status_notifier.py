#!/usr/bin/python3
"""A desktop tray of the StatusNotifier kind, as a panel offers it on the session bus, and
what such a tray reads from an item.

watch       serves org.kde.StatusNotifierWatcher with a host registered, and prints each item
            that registers, one a line, as BUS/PATH
menu ITEM   prints the exported menu (com.canonical.dbusmenu GetLayout) of the item BUS/PATH,
            one entry a line: label|enabled|toggle-type|toggle-state
"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
DEFAULT_ITEM_PATH = "/StatusNotifierItem"
# Clients read the properties through an interface built from the introspection data.
INTROSPECTION = f"""<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="{WATCHER}">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/><arg name="values" type="a{{sv}}" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="data" type="s" direction="out"/></method>
  </interface>
</node>
"""


def item_address(service, sender):
    """BUS/PATH of an item: items give a bus name (Qt its own well-known one), which means the
    usual path, or only an object path on the sender's connection."""
    if service.startswith("/"):
        return sender + service
    return service if "/" in service else service + DEFAULT_ITEM_PATH


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        item = item_address(service, sender)
        self.items.append(item)
        print(item, flush=True)
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


def watch():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    name = dbus.service.BusName(WATCHER, bus)
    GLib.MainLoop().run()
    del watcher, name


def menu(item):
    service, path = item.split("/", 1)
    bus = dbus.SessionBus()
    menu_path = bus.get_object(service, "/" + path).Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
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
