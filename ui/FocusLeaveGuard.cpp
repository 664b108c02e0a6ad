#include "ui/FocusLeaveGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <utility>

FocusLeaveGuard::FocusLeaveGuard(QWidget* window, Check check)
    : QObject(window), m_window(window), m_check(std::move(check))
{
    qApp->installEventFilter(this);
}

FocusLeaveGuard::~FocusLeaveGuard()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void FocusLeaveGuard::guard(QWidget* field)
{
    m_fields.append(field);
}

bool FocusLeaveGuard::isGuarded(const QWidget* widget) const
{
    for (const QPointer<QWidget>& field : m_fields)
        if (field && field == widget)
            return true;
    return false;
}

bool FocusLeaveGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched->isWidgetType())
            return onKeyPress(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched == m_window->windowHandle())
            return onWindowPress(static_cast<QMouseEvent*>(event));
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_window)
            return onWidgetPress();
        return false;
    case QEvent::FocusOut:
        // A field the focus has just left for a press that did not come through the window.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason &&
            watched->isWidgetType() && isGuarded(static_cast<QWidget*>(watched)))
            m_leftByPress = static_cast<QWidget*>(watched);
        return false;
    default:
        return false;
    }
}

bool FocusLeaveGuard::onKeyPress(QWidget* receiver, const QKeyEvent* event)
{
    // The keys with which Qt moves the focus to the next or the previous control.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (!isGuarded(receiver) || receiver != m_window->focusWidget())
        return false;
    return !mayLeave(receiver);
}

bool FocusLeaveGuard::onWindowPress(const QMouseEvent* event)
{
    m_pressChecked = false;
    QWidget* field = m_window->focusWidget();
    if (!isGuarded(field))
        return false;
    QWidget* taker = focusTakerAt(event->position().toPoint());
    if (!taker || taker == field)
        return false;
    if (!mayLeave(field))
        return true;
    m_pressChecked = true;
    return false;
}

bool FocusLeaveGuard::onWidgetPress()
{
    // The press is on its way to the widget under the pointer, and has already given it the
    // focus. Coming through the window it has been checked before that.
    QWidget* left = m_leftByPress;
    m_leftByPress = nullptr;
    if (std::exchange(m_pressChecked, false) || !left)
        return false;
    // A press handed straight to a widget (by a test or an assistive tool): the focus moved
    // before anyone could ask, so a refused entry takes it back.
    if (mayLeave(left))
        return false;
    left->setFocus(Qt::OtherFocusReason);
    return true;
}

QWidget* FocusLeaveGuard::focusTakerAt(QPoint pos) const
{
    // As Qt does on a press: the first widget from the one under the pointer outwards that is
    // enabled and takes the focus by a click.
    QWidget* widget = m_window->childAt(pos);
    for (; widget && widget != m_window; widget = widget->parentWidget()) {
        QWidget* target = widget;
        while (target->focusProxy())
            target = target->focusProxy();
        if (widget->isEnabled() && (target->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus)
            return target;
    }
    return nullptr;
}

bool FocusLeaveGuard::mayLeave(QWidget* field)
{
    // While a refusal is being shown the focus stays where it is, whatever arrives.
    if (m_checking)
        return false;
    m_checking = true;
    const bool accepted = m_check(field);
    m_checking = false;
    return accepted;
}
