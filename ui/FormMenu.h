#pragma once

#include <QObject>

#include <functional>

class QMenu;
class QWidget;

// The form's context menu, on a right click on the form (or the menu key on one of its
// buttons): "Open setup…" (while stopped), "Line…" and "About". Ctrl+L on the form opens the
// line window as "Line…" does. The form's controls, places and tab stops stay as they are.
class FormMenu : public QObject
{
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> openSetup;
        std::function<bool()> setupAllowed; // whether "Open setup…" may be chosen now
        std::function<void()> line;
        std::function<void()> about;
    };

    FormMenu(QWidget* form, Actions actions);

    // The menu as it would pop up now (for the form's tests).
    QMenu* menu();

private:
    QWidget* m_form;
    Actions m_actions;
    QMenu* m_menu = nullptr;
};
