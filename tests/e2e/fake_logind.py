#!/usr/bin/python3
"""A stand-in for logind on a private system bus, for the tests of the program's system events.

    DBUS_SYSTEM_BUS_ADDRESS=... fake_logind.py

It runs on Debian's own /usr/bin/python3, which has python3-dbus and python3-gi. It owns
org.freedesktop.login1 on the bus named by DBUS_SYSTEM_BUS_ADDRESS and prints "ready" once it
does. What it answers, at /org/freedesktop/login1:

- org.freedesktop.login1.Manager: Inhibit(what, who, why, mode) gives the write end of a pipe
  and watches the read end for the hang-up that tells the inhibitor was let go;
  GetSessionByPID(pid) and GetSession(id) give the one session "c1"; the signal
  PrepareForSleep(b).
- io.github.kestrel.FakeLogind, to steer it: EmitPrepareForSleep(b) emits the signal;
  SetLockedHint(b) changes the session's LockedHint and emits PropertiesChanged;
  Inhibitors() gives (taken, released, [who, ...]) so far; Quit().

The session "c1" lies at /org/freedesktop/login1/session/c1 with the property LockedHint.
"""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.login1"
PATH = "/org/freedesktop/login1"
MANAGER = "org.freedesktop.login1.Manager"
SESSION = "org.freedesktop.login1.Session"
PROPERTIES = "org.freedesktop.DBus.Properties"
CONTROL = "io.github.kestrel.FakeLogind"
SESSION_PATH = PATH + "/session/c1"


def say(line):
    print(line, flush=True)


class Session(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, SESSION_PATH)
        self.locked = False

    def properties(self):
        return {"LockedHint": dbus.Boolean(self.locked), "Id": dbus.String("c1")}

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def set_locked(self, locked):
        self.locked = bool(locked)
        self.PropertiesChanged(SESSION, {"LockedHint": dbus.Boolean(self.locked)}, dbus.Array([], signature="s"))


class Manager(dbus.service.Object):
    def __init__(self, bus, session, loop):
        super().__init__(bus, PATH)
        self.session = session
        self.loop = loop
        self.taken = 0
        self.released = 0
        self.holders = []

    @dbus.service.method(MANAGER, in_signature="ssss", out_signature="h")
    def Inhibit(self, what, who, why, mode):
        read_end, write_end = os.pipe()
        self.taken += 1
        self.holders.append(str(who))
        say(f"inhibit what={what} who={who} why={why} mode={mode}")

        def hung_up(fd, condition):
            self.released += 1
            os.close(fd)
            say("inhibitor released")
            return False

        GLib.io_add_watch(read_end, GLib.IO_HUP | GLib.IO_ERR, hung_up)
        fd = dbus.types.UnixFd(write_end)  # keeps a copy of its own
        os.close(write_end)
        return fd

    @dbus.service.method(MANAGER, in_signature="u", out_signature="o")
    def GetSessionByPID(self, pid):
        return dbus.ObjectPath(SESSION_PATH)

    @dbus.service.method(MANAGER, in_signature="s", out_signature="o")
    def GetSession(self, session_id):
        return dbus.ObjectPath(SESSION_PATH)

    @dbus.service.signal(MANAGER, signature="b")
    def PrepareForSleep(self, start):
        say(f"prepare for sleep {bool(start)}")

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def EmitPrepareForSleep(self, start):
        self.PrepareForSleep(start)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def SetLockedHint(self, locked):
        self.session.set_locked(locked)

    @dbus.service.method(CONTROL, in_signature="", out_signature="uuas")
    def Inhibitors(self):
        return self.taken, self.released, self.holders

    @dbus.service.method(CONTROL, in_signature="", out_signature="")
    def Quit(self):
        GLib.idle_add(self.loop.quit)


def main():
    if "DBUS_SYSTEM_BUS_ADDRESS" not in os.environ:
        print("fake_logind.py: set DBUS_SYSTEM_BUS_ADDRESS to the stand-in system bus", file=sys.stderr)
        return 2
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(os.environ["DBUS_SYSTEM_BUS_ADDRESS"])
    loop = GLib.MainLoop()
    session = Session(bus)
    Manager(bus, session, loop)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    say("ready")
    loop.run()
    del name
    return 0


if __name__ == "__main__":
    sys.exit(main())
