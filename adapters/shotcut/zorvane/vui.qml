// The rectangle on Shotcut's monitor, with handles.
import Shotcut.Controls 1.0 as Shotcut

Shotcut.TextFilterVui {
    rectProperty: 'rect'
}
