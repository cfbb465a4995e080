'''A disk service on a private bus for the desktop program's eject tests: one drive holding one
block device with a file system mounted where the parameters say.

Parameters (JSON): mount_point, device ("/dev/sdz1"), busy (Unmount fails as with open files),
removable (the drive is a card reader's), can_power_off.
Calls are written to the log file given to dbusmock with -l.
'''

import dbus

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
IS_OBJECT_MANAGER = True
SYSTEM_BUS = False

DRIVE = '/org/freedesktop/UDisks2/drives/Card_Reader'
BLOCK = '/org/freedesktop/UDisks2/block_devices/sdz1'


def byte_string(text):
    return dbus.Array([dbus.Byte(b) for b in text.encode() + b'\0'], signature='y')


def load(mock, parameters):
    removable = parameters.get('removable', True)
    mock.AddObject('/org/freedesktop/UDisks2/Manager', 'org.freedesktop.UDisks2.Manager',
                   {'Version': '2.9.4'}, [])
    mock.AddObject(DRIVE, 'org.freedesktop.UDisks2.Drive', {
        'Removable': dbus.Boolean(removable),
        'MediaRemovable': dbus.Boolean(removable),
        'Ejectable': dbus.Boolean(False),
        'CanPowerOff': dbus.Boolean(parameters.get('can_power_off', True)),
    }, [('PowerOff', 'a{sv}', '', '')])

    device = parameters.get('device', '/dev/sdz1')
    mock.AddObject(BLOCK, 'org.freedesktop.UDisks2.Block', {
        'Device': byte_string(device),
        'PreferredDevice': byte_string(device),
        'Drive': dbus.ObjectPath(DRIVE),
    }, [])
    if parameters.get('busy', False):
        unmount = ("raise dbus.exceptions.DBusException('Error unmounting %s: target is busy', "
                   "name='org.freedesktop.UDisks2.Error.DeviceBusy')" % device)
    else:
        unmount = ("self.Set('org.freedesktop.UDisks2.Filesystem', 'MountPoints', "
                   "dbus.Array([], signature='ay'))")
    block = mock_objects()[BLOCK]
    block.AddProperties('org.freedesktop.UDisks2.Filesystem', {
        'MountPoints': dbus.Array([byte_string(parameters['mount_point'])], signature='ay'),
    })
    block.AddMethod('org.freedesktop.UDisks2.Filesystem', 'Unmount', 'a{sv}', '', unmount)


def mock_objects():
    import dbusmock.mockobject
    return dbusmock.mockobject.objects
