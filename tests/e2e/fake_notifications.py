#!/usr/bin/python3
# A notification service for tests: records each Notify call on the session
# bus as one line (app name, icon, summary, body, image size, expiry, urgency,
# actions) in the file argv[1]. With "markup" as argv[2] it says it reads body
# markup. Click(id) on the interface test.Fake acts as a click on notification id.
import sys
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
MARKUP = sys.argv[2:3] == ["markup"]


class Service(dbus.service.Object):
    last = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        image = hints.get("image-data")
        size = "%dx%d" % (image[0], image[1]) if image else "none"
        urgency = str(int(hints["urgency"])) if "urgency" in hints else "-"
        fields = [app, icon, summary, body.replace("\n", "\\n"), size, str(timeout), urgency,
                  ",".join(actions[0::2])]
        with open(sys.argv[1], "a", encoding="utf-8") as out:
            out.write("|".join(fields) + "\n")
        self.last += 1
        return self.last

    @dbus.service.method(NAME, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body", "body-markup"] if MARKUP else ["body"]

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, id, key):
        pass

    @dbus.service.method("test.Fake", in_signature="u")
    def Click(self, id):
        self.ActionInvoked(id, "default")


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
keep = dbus.service.BusName(NAME, bus)
Service(bus, "/org/freedesktop/Notifications")
print("ready", flush=True)
GLib.MainLoop().run()
