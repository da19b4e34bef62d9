"""python-dbusmock's logind, with answers a test may choose: "PowerOffError"
makes PowerOff fail with those words, as logind refuses an unauthorised
caller; "ListInhibitorsDelay" makes the list of inhibitors take so many
seconds, during which the whole mock answers nothing, as a stuck logind."""

import time

import dbus

from dbusmock import mockobject
from dbusmock.templates import logind
from dbusmock.templates.logind import *  # noqa: F401,F403 (its methods and names make the template)

DELAY = [0.0]


@dbus.service.method(logind.MAIN_IFACE, in_signature="", out_signature="a(ssssuu)")
def ListInhibitors(_):
    time.sleep(DELAY[0])
    return getattr(mockobject, "inhibitors", [])


def load(mock, parameters):
    logind.load(mock, parameters)
    DELAY[0] = float(parameters.get("ListInhibitorsDelay", 0))
    if "PowerOffError" in parameters:
        mock.AddMethod(logind.MAIN_IFACE, "PowerOff", "b", "",
                       f"raise dbus.exceptions.DBusException({parameters['PowerOffError']!r}, "
                       "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')")
