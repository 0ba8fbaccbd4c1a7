#!/usr/bin/python3
# A notification service for tests: records each Notify call on the session
# bus as one line (app name, icon, summary, body, hint names) in the file argv[1].
import sys
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"


class Service(dbus.service.Object):
    last = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        image = hints.get("image-data")
        size = "%dx%d" % (image[0], image[1]) if image else "none"
        with open(sys.argv[1], "a", encoding="utf-8") as out:
            out.write("|".join([app, icon, summary, body.replace("\n", "\\n"), size]) + "\n")
        self.last += 1
        return self.last

    @dbus.service.method(NAME, out_signature="as")
    def GetCapabilities(self):
        return ["body"]


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
keep = dbus.service.BusName(NAME, bus)
Service(bus, "/org/freedesktop/Notifications")
print("ready", flush=True)
GLib.MainLoop().run()
