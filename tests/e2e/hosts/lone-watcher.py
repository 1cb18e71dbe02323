#!/usr/bin/python3
"""A StatusNotifierWatcher as KDE's runs without its shell: items register and are listed; a host
is registered while this runs until SIGUSR1, which unregisters it (as when plasmashell ends)."""
import signal

from gi.repository import Gio, GLib

XML = """<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
  <signal name="StatusNotifierHostUnregistered"/>
</interface></node>"""
PATH, NAME = "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher"
items, host = [], [True]


def call(bus, sender, path, interface, method, args, invocation):
    if method == "RegisterStatusNotifierItem":
        service = args[0]
        items.append((sender if service.startswith("/") else service) + "/StatusNotifierItem")
        emit(bus, "StatusNotifierItemRegistered", GLib.Variant("(s)", (items[-1],)))
    invocation.return_value(None)


def get(bus, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", host[0]),
            "ProtocolVersion": GLib.Variant("i", 0)}[name]


def emit(bus, name, args=None):
    bus.emit_signal(None, PATH, NAME, name, args)


def host_gone(bus):
    host[0] = False
    emit(bus, "StatusNotifierHostUnregistered")
    return GLib.SOURCE_CONTINUE


bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object(PATH, Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0], call, get, None)
Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.NONE, None, None)
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, host_gone, bus)
GLib.MainLoop().run()
