"""A stand-in for the XDG desktop portal's GlobalShortcuts interface on the
session bus of a test, answering as the portal documentation describes:
each call returns a request object whose Response signal carries the result.

It writes one JSON line per call to the file named by its first argument, and
its extra interface app.tolvan.StandInPortal lets the test press a bound
shortcut (Press(s id)), which sends Activated and Deactivated to the session's
owner."""

import json
import sys

from gi.repository import Gio, GLib

PATH = "/org/freedesktop/portal/desktop"
INTERFACE = "org.freedesktop.portal.GlobalShortcuts"
XML = f"""
<node>
  <interface name="{INTERFACE}">
    <method name="CreateSession">
      <arg type="a{{sv}}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <method name="BindShortcuts">
      <arg type="o" name="session_handle" direction="in"/>
      <arg type="a(sa{{sv}})" name="shortcuts" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{{sv}}" name="options" direction="in"/>
      <arg type="o" name="request_handle" direction="out"/>
    </method>
    <signal name="Activated">
      <arg type="o" name="session_handle"/>
      <arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/>
      <arg type="a{{sv}}" name="options"/>
    </signal>
    <signal name="Deactivated">
      <arg type="o" name="session_handle"/>
      <arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/>
      <arg type="a{{sv}}" name="options"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="app.tolvan.StandInPortal">
    <method name="Press">
      <arg type="s" name="shortcut_id" direction="in"/>
    </method>
  </interface>
</node>
"""
REQUEST_XML = """
<node>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
    <signal name="Response">
      <arg type="u" name="response"/>
      <arg type="a{sv}" name="results"/>
    </signal>
  </interface>
</node>
"""


class Portal:
    def __init__(self, log):
        self.log = log
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        self.sessions = {}
        self.bound = {}
        self.tokens = 0
        info = Gio.DBusNodeInfo.new_for_xml(XML)
        for interface in info.interfaces:
            self.bus.register_object(PATH, interface, self.method, self.property, None)
        self.request_info = Gio.DBusNodeInfo.new_for_xml(REQUEST_XML).interfaces[0]

    def record(self, **entry):
        with open(self.log, "a") as log:
            log.write(json.dumps(entry) + "\n")

    def request(self, sender, options):
        self.tokens += 1
        token = options.get("handle_token", f"t{self.tokens}")
        path = f"{PATH}/request/{sender[1:].replace('.', '_')}/{token}"
        self.bus.register_object(path, self.request_info, None, None, None)
        return path

    def respond(self, sender, path, results):
        # After the method's reply, as the portal does once the user answers.
        def send():
            self.bus.emit_signal(sender, path, "org.freedesktop.portal.Request", "Response",
                                 GLib.Variant("(ua{sv})", (0, results)))
            return False
        GLib.timeout_add(50, send)

    def method(self, connection, sender, path, interface, name, parameters, invocation):
        arguments = parameters.unpack()
        if name == "CreateSession":
            options = arguments[0]
            request = self.request(sender, options)
            session = (f"{PATH}/session/{sender[1:].replace('.', '_')}/"
                       f"{options['session_handle_token']}")
            self.sessions[session] = sender
            self.record(call=name, options=options)
            invocation.return_value(GLib.Variant("(o)", (request,)))
            self.respond(sender, request, {"session_handle": GLib.Variant("s", session)})
        elif name == "BindShortcuts":
            session, shortcuts, parent, options = arguments
            if self.sessions.get(session) != sender:
                invocation.return_dbus_error("org.freedesktop.portal.Error.InvalidArgument",
                                             "no such session")
                return
            request = self.request(sender, options)
            self.record(call=name, session=session, shortcuts=shortcuts, parent=parent)
            for shortcut_id, properties in shortcuts:
                self.bound[shortcut_id] = (session, properties)
            invocation.return_value(GLib.Variant("(o)", (request,)))
            trigger = [(shortcut_id, {
                "description": GLib.Variant("s", properties["description"]),
                "trigger_description": GLib.Variant("s", properties.get("preferred_trigger", "")),
            }) for shortcut_id, properties in shortcuts]
            self.respond(sender, request, {"shortcuts": GLib.Variant("a(sa{sv})", trigger)})
        elif name == "Press":
            shortcut_id = arguments[0]
            if shortcut_id not in self.bound:
                invocation.return_dbus_error("org.freedesktop.DBus.Error.InvalidArgs",
                                             f"{shortcut_id} is not bound")
                return
            session, _ = self.bound[shortcut_id]
            owner = self.sessions[session]
            stamp = GLib.get_monotonic_time() // 1000
            for signal in ("Activated", "Deactivated"):
                self.bus.emit_signal(owner, PATH, INTERFACE, signal,
                                     GLib.Variant("(osta{sv})", (session, shortcut_id, stamp, {})))
            invocation.return_value(None)

    def property(self, connection, sender, path, interface, name):
        return GLib.Variant("u", 1)


def main():
    portal = Portal(sys.argv[1])
    loop = GLib.MainLoop()

    def owned(*_):
        portal.record(ready=True)
    Gio.bus_own_name_on_connection(portal.bus, "org.freedesktop.portal.Desktop",
                                   Gio.BusNameOwnerFlags.NONE, owned, None)
    loop.run()


if __name__ == "__main__":
    main()
