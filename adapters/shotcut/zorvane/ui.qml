// Zorvane's panel: the rectangle in pixels of the profile, the three floors
// in percent, the fades in frames. Names, ranges and defaults are those of
// the filter's description (filter_zorvane.yml).
import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import Shotcut.Controls 1.0 as Shotcut

Item {
    property bool blockUpdate: true

    function setControls() {
        blockUpdate = true;
        var r = filter.getRect('rect');
        rectX.value = r.x;
        rectY.value = r.y;
        rectW.value = r.width;
        rectH.value = r.height;
        red.value = filter.getDouble('red');
        green.value = filter.getDouble('green');
        blue.value = filter.getDouble('blue');
        fadeIn.value = filter.getDouble('fade_in');
        fadeOut.value = filter.getDouble('fade_out');
        blockUpdate = false;
    }

    function setRect() {
        if (!blockUpdate)
            filter.set('rect', Qt.rect(rectX.value, rectY.value, rectW.value, rectH.value));
    }

    width: 350
    height: 220
    Component.onCompleted: {
        if (filter.isNew) {
            filter.set('rect', Qt.rect(0, 0, profile.width, profile.height));
            filter.set('red', 50);
            filter.set('green', 50);
            filter.set('blue', 50);
            filter.set('fade_in', 0);
            filter.set('fade_out', 0);
        }
        setControls();
    }

    Connections {
        function onChanged() {
            setControls();
        }

        target: filter
    }

    GridLayout {
        anchors.fill: parent
        anchors.margins: 8
        columns: 2

        Label {
            text: qsTr('Position')
            Layout.alignment: Qt.AlignRight
        }

        RowLayout {
            Shotcut.DoubleSpinBox {
                id: rectX

                Layout.minimumWidth: 90
                from: -1e+09
                to: 1e+09
                onValueModified: setRect()
            }

            Shotcut.DoubleSpinBox {
                id: rectY

                Layout.minimumWidth: 90
                from: -1e+09
                to: 1e+09
                onValueModified: setRect()
            }
        }

        Label {
            text: qsTr('Size')
            Layout.alignment: Qt.AlignRight
        }

        RowLayout {
            Shotcut.DoubleSpinBox {
                id: rectW

                Layout.minimumWidth: 90
                from: 0
                to: 1e+09
                onValueModified: setRect()
            }

            Shotcut.DoubleSpinBox {
                id: rectH

                Layout.minimumWidth: 90
                from: 0
                to: 1e+09
                onValueModified: setRect()
            }
        }

        Label {
            text: qsTr('Red floor')
            Layout.alignment: Qt.AlignRight
        }

        Shotcut.SliderSpinner {
            id: red

            minimumValue: 0
            maximumValue: 100
            suffix: ' %'
            onValueChanged: if (!blockUpdate) filter.set('red', value)
        }

        Label {
            text: qsTr('Green floor')
            Layout.alignment: Qt.AlignRight
        }

        Shotcut.SliderSpinner {
            id: green

            minimumValue: 0
            maximumValue: 100
            suffix: ' %'
            onValueChanged: if (!blockUpdate) filter.set('green', value)
        }

        Label {
            text: qsTr('Blue floor')
            Layout.alignment: Qt.AlignRight
        }

        Shotcut.SliderSpinner {
            id: blue

            minimumValue: 0
            maximumValue: 100
            suffix: ' %'
            onValueChanged: if (!blockUpdate) filter.set('blue', value)
        }

        Label {
            text: qsTr('Fade in')
            Layout.alignment: Qt.AlignRight
        }

        Shotcut.SliderSpinner {
            id: fadeIn

            minimumValue: 0
            maximumValue: 1000
            suffix: qsTr(' frames')
            onValueChanged: if (!blockUpdate) filter.set('fade_in', value)
        }

        Label {
            text: qsTr('Fade out')
            Layout.alignment: Qt.AlignRight
        }

        Shotcut.SliderSpinner {
            id: fadeOut

            minimumValue: 0
            maximumValue: 1000
            suffix: qsTr(' frames')
            onValueChanged: if (!blockUpdate) filter.set('fade_out', value)
        }

        Item {
            Layout.fillHeight: true
        }
    }
}
