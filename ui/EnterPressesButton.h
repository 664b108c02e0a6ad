#pragma once

#include <QObject>

// Enter (Return or the keypad's) on a focused push button presses it, as on the platform the
// monitoring application comes from; Space already does. The window has no default button, so
// without this Enter would do nothing at all.
class EnterPressesButton : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
