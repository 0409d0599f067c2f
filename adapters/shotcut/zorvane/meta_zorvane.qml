import QtQuick 2.0
import org.shotcut.qml 1.0

Metadata {
    type: Metadata.Filter
    objectName: 'zorvane'
    name: qsTr('Zorvane')
    keywords: qsTr('floor raise lift colour rectangle zorvane')
    mlt_service: 'zorvane'
    qml: 'ui.qml'
    vui: 'vui.qml'

    keyframes {
        parameters: [
            Parameter {
                name: qsTr('Rectangle')
                property: 'rect'
                isRectangle: true
            },
            Parameter {
                name: qsTr('Red floor')
                property: 'red'
                isCurve: true
                minimum: 0
                maximum: 100
            },
            Parameter {
                name: qsTr('Green floor')
                property: 'green'
                isCurve: true
                minimum: 0
                maximum: 100
            },
            Parameter {
                name: qsTr('Blue floor')
                property: 'blue'
                isCurve: true
                minimum: 0
                maximum: 100
            }
        ]
    }
}
