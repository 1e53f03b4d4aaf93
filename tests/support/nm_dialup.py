'''NetworkManager mock with scriptable activation outcomes.

Extends python-dbusmock's stock "networkmanager" template:
  * ActivateConnection creates the ActiveConnection in State 1 (activating)
    and then, per profile, goes to 2 (activated) or 4 (deactivated, with a
    reason) after a delay, or stays at 1 forever ("hang").
  * Every state change sets the State property and emits
    Connection.Active.StateChanged(u state, u reason) plus PropertiesChanged.
  * DeactivateConnection: 3 (deactivating) then 4 (reason 2, user
    disconnected), then the object is removed -- also when no device exists.
  * Unknown profile / not-active paths give NetworkManager's error names.
Parameters (JSON via -p): {"connections": [["Office VPN", "vpn"], ...],
                           "remove_delay_ms": 100}
'''
import uuid

import dbus
from gi.repository import GLib

import dbusmock
from dbusmock import MOCK_IFACE
# Re-export everything (BUS_NAME, MAIN_OBJ, SYSTEM_BUS, IS_OBJECT_MANAGER and
# all Mock helper methods such as AddEthernetDevice) from the stock template.
from dbusmock.templates.networkmanager import *  # noqa: F401,F403
from dbusmock.templates import networkmanager as _nm

AC_IFACE = _nm.ACTIVE_CONNECTION_IFACE
AC_PREFIX = '/org/freedesktop/NetworkManager/ActiveConnection/'
ERR_UNKNOWN_CONNECTION = 'org.freedesktop.NetworkManager.UnknownConnection'
ERR_NOT_ACTIVE = 'org.freedesktop.NetworkManager.ConnectionNotActive'
REASON_NONE = 1
REASON_USER_DISCONNECTED = 2

_behaviour = {}          # profile path -> (mode, delay_ms, reason)
_opts = {'remove_delay_ms': 100, 'next_ac': 0}


def _nm_obj():
    return dbusmock.get_object(_nm.MANAGER_OBJ)


def _set_ac_state(ac_path, state, reason, expect=None):
    ac = dbusmock.mockobject.objects.get(ac_path)
    if ac is None or (expect is not None and ac is not expect):
        return False  # gone (or path reused after Reset): stale timer
    ac.Set(AC_IFACE, 'State', dbus.UInt32(state))   # also emits Properties.PropertiesChanged
    ac.EmitSignal(AC_IFACE, 'StateChanged', 'uu', [dbus.UInt32(state), dbus.UInt32(reason)])
    if state == 4:
        GLib.timeout_add(_opts['remove_delay_ms'], _remove_ac, ac_path, ac)
    return False  # when used as a GLib timeout: run once


def _remove_ac(ac_path, expect):
    if dbusmock.mockobject.objects.get(ac_path) is not expect:
        return False
    nm = _nm_obj()
    acs = nm.Get(_nm.MANAGER_IFACE, 'ActiveConnections')
    if ac_path in acs:
        acs.remove(dbus.ObjectPath(ac_path))
        nm.SetProperty(_nm.MANAGER_OBJ, _nm.MANAGER_IFACE, 'ActiveConnections',
                       dbus.Array(acs, signature='o'))
    if ac_path in dbusmock.mockobject.objects:
        nm.object_manager_emit_removed(ac_path)
        nm.RemoveObject(ac_path)
    return False  # one-shot GLib timeout


def _activate(self, conn, dev, specific):
    conn = str(conn)
    settings = dbusmock.get_object(_nm.SETTINGS_OBJ)
    if conn not in [str(c) for c in settings.ListConnections()]:
        raise dbus.exceptions.DBusException(
            f'Connection {conn} does not exist', name=ERR_UNKNOWN_CONNECTION)
    n = _opts["next_ac"]        # numbers are not reused (like NM)
    while AC_PREFIX + str(n) in dbusmock.mockobject.objects:
        n += 1
    _opts['next_ac'] = n + 1
    devices = [] if str(dev) == '/' else [dev]
    ac_path = _nm.AddActiveConnection(self, devices, conn, specific, str(n), dbus.UInt32(1))
    ac = dbusmock.get_object(ac_path)
    mode, delay, reason = _behaviour.get(conn, ('succeed', 0, REASON_NONE))
    if mode == 'succeed':
        GLib.timeout_add(delay, _set_ac_state, ac_path, 2, REASON_NONE, ac)
    elif mode == 'fail':
        GLib.timeout_add(delay, _set_ac_state, ac_path, 4, reason, ac)
    # mode == 'hang': stay at 1 until DeactivateConnection
    return dbus.ObjectPath(ac_path)


def _deactivate(self, ac_path):
    ac_path = str(ac_path)
    if ac_path not in [str(a) for a in self.Get(_nm.MANAGER_IFACE, 'ActiveConnections')]:
        raise dbus.exceptions.DBusException(
            f'The connection {ac_path} was not active.', name=ERR_NOT_ACTIVE)
    for dev in dbusmock.get_object(ac_path).Get(AC_IFACE, 'Devices'):
        self.SetDeviceDisconnected(dev)
    ac = dbusmock.get_object(ac_path)
    _set_ac_state(ac_path, 3, REASON_USER_DISCONNECTED)
    GLib.timeout_add(0, _set_ac_state, ac_path, 4, REASON_USER_DISCONNECTED, ac)


def load(mock, parameters):
    _nm.load(mock, parameters)
    nm = _nm_obj()
    nm.activate_connection = _activate
    nm.deactivate_connection = _deactivate
    _opts['remove_delay_ms'] = int(parameters.get('remove_delay_ms', 100))
    _behaviour.clear()
    settings = dbusmock.get_object(_nm.SETTINGS_OBJ)
    for conn_id, conn_type in parameters.get('connections', []):
        settings.SettingsAddConnection({'connection': {
            'id': conn_id, 'type': conn_type, 'uuid': str(uuid.uuid4())}})


@dbus.service.method(MOCK_IFACE, in_signature='ssuu', out_signature='')
def SetActivationBehaviour(_self, connection_path, mode, delay_ms, reason):
    '''mode: "succeed" (1 -> 2 after delay_ms), "fail" (1 -> 4 with reason
    after delay_ms, then removed), "hang" (stays 1). Per profile path.'''
    if mode not in ('succeed', 'fail', 'hang'):
        raise dbus.exceptions.DBusException(f'bad mode {mode}', name='org.freedesktop.DBus.Error.InvalidArgs')
    _behaviour[str(connection_path)] = (str(mode), int(delay_ms), int(reason))


@dbus.service.method(MOCK_IFACE, in_signature='suu', out_signature='')
def SetActiveConnectionState(_self, ac_path, state, reason):
    '''Drive an ActiveConnection by hand: sets State, emits PropertiesChanged
    and StateChanged(state, reason); state 4 also removes it.'''
    _set_ac_state(str(ac_path), int(state), int(reason))
