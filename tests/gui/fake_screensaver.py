"""A stand-in for the desktop's screen saver on the GUI suite's session bus.

It owns org.freedesktop.ScreenSaver and writes every Inhibit and UnInhibit it gets to the log
named on the command line, one line each ("inhibit COOKIE APPLICATION" / "uninhibit COOKIE"),
so that a case can tell whether the program held the screen saver off during a test.
"""

import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="Inhibit">
      <arg type="s" name="application_name" direction="in"/>
      <arg type="s" name="reason_for_inhibit" direction="in"/>
      <arg type="u" name="cookie" direction="out"/>
    </method>
    <method name="UnInhibit">
      <arg type="u" name="cookie" direction="in"/>
    </method>
  </interface>
</node>
"""

log_path = sys.argv[1]
next_cookie = [1]


def write(line):
    with open(log_path, "a") as f:
        f.write(line + "\n")


def on_call(connection, sender, path, interface, method, parameters, invocation):
    if method == "Inhibit":
        cookie = next_cookie[0]
        next_cookie[0] += 1
        write(f"inhibit {cookie} {parameters.unpack()[0]}")
        invocation.return_value(GLib.Variant("(u)", (cookie,)))
    elif method == "UnInhibit":
        write(f"uninhibit {parameters.unpack()[0]}")
        invocation.return_value(None)


def on_bus(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    for path in ("/org/freedesktop/ScreenSaver", "/ScreenSaver"):
        connection.register_object(path, node.interfaces[0], on_call, None, None)


def on_name(connection, name):
    open(log_path, "a").close()  # ready


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.ScreenSaver", Gio.BusNameOwnerFlags.NONE, on_bus, on_name,
                 None)
GLib.MainLoop().run()
