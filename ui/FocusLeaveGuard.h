#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QMouseEvent;

// Runs a field's check when the focus is about to leave the field for another control of the
// window, and keeps the focus in the field when the check refuses the entry.
//
// Qt moves the focus before any widget hears of it: a focus-out comes after the fact, and a
// mouse press has given the focus before the pressed widget or its filters see it. So the
// guard watches, as an application event filter, the two events that come first: the Tab or
// Shift+Tab key press in the field, and the mouse press as it reaches the window itself (before
// the window hands it to the widget under the pointer). A refused entry swallows that event:
// the focus stays and the pressed control does not act. Leaving for another window runs no
// check: only key presses in the field and presses on this window are looked at.
//
// A press handed straight to a widget, not through the window (as tests and assistive tools
// may do), has moved the focus before any filter sees it; for those the field's check runs
// afterwards, and a refused entry takes the focus back and swallows the press.
class FocusLeaveGuard : public QObject
{
    Q_OBJECT
public:
    // Runs the check of `field` (showing its refusal, if any) and says whether the focus may
    // leave it.
    using Check = std::function<bool(QWidget* field)>;

    FocusLeaveGuard(QWidget* window, Check check);
    ~FocusLeaveGuard() override;

    void guard(QWidget* field);

    // The widget a mouse press at `pos` (window coordinates) would give the focus to, if any.
    QWidget* focusTakerAt(QPoint pos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isGuarded(const QWidget* widget) const;
    bool onKeyPress(QWidget* receiver, const QKeyEvent* event);
    bool onWindowPress(const QMouseEvent* event);
    bool onWidgetPress();
    // True when the focus may leave `field`.
    bool mayLeave(QWidget* field);

    QWidget* m_window;
    Check m_check;
    QList<QPointer<QWidget>> m_fields;
    bool m_checking = false;
    bool m_pressChecked = false;     // the press on its way to a widget passed the check
    QPointer<QWidget> m_leftByPress; // the field a press has just taken the focus from
};
