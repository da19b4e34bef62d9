"""python-dbusmock's logind, with answers a test may choose: "PowerOffError"
makes PowerOff fail with those words, as logind refuses an unauthorised
caller; "ListInhibitorsDelay" makes the list of inhibitors take so many
seconds, during which the whole mock answers nothing, as a stuck logind;
"InhibitError" makes Inhibit fail with those words; "InhibitDelayMaxUSec"
is logind's longest delay for a delay inhibitor (its default, 5 s, if not
given). The template's Inhibit hands out a pipe's end and lists the
inhibitor until that end is closed everywhere. The mock's Prepare("Shutdown"
or "Sleep", starting) sends PrepareForShutdown or PrepareForSleep."""

import time

import dbus

from dbusmock import MOCK_IFACE, mockobject
from dbusmock.templates import logind
from dbusmock.templates.logind import *  # noqa: F401,F403 (its methods and names make the template)

DELAY = [0.0]


@dbus.service.method(logind.MAIN_IFACE, in_signature="", out_signature="a(ssssuu)")
def ListInhibitors(_):
    time.sleep(DELAY[0])
    return getattr(mockobject, "inhibitors", [])


@dbus.service.method(MOCK_IFACE, in_signature="sb", out_signature="")
def Prepare(self, what, starting):
    self.EmitSignal(logind.MAIN_IFACE, f"PrepareFor{what}", "b", [starting])


def load(mock, parameters):
    logind.load(mock, parameters)
    DELAY[0] = float(parameters.get("ListInhibitorsDelay", 0))
    mock.AddProperty(logind.MAIN_IFACE, "InhibitDelayMaxUSec",
                     dbus.UInt64(parameters.get("InhibitDelayMaxUSec", 5_000_000)))
    if "PowerOffError" in parameters:
        mock.AddMethod(logind.MAIN_IFACE, "PowerOff", "b", "",
                       f"raise dbus.exceptions.DBusException({parameters['PowerOffError']!r}, "
                       "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')")
    if "InhibitError" in parameters:
        mock.AddMethod(logind.MAIN_IFACE, "Inhibit", "ssss", "h",
                       f"raise dbus.exceptions.DBusException({parameters['InhibitError']!r}, "
                       "name='org.freedesktop.DBus.Error.AccessDenied')")
