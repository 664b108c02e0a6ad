#include "ui/FormMenu.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace
{
const QKeySequence lineKey(Qt::CTRL | Qt::Key_L);
} // namespace

FormMenu::FormMenu(QWidget* form, Actions actions)
    : QObject(form), m_form(form), m_actions(std::move(actions))
{
    m_menu = new QMenu(form);
    m_menu->setObjectName(QStringLiteral("formMenu"));
    QAction* setup = m_menu->addAction(QStringLiteral("Open &setup…"));
    setup->setObjectName(QStringLiteral("openSetup"));
    connect(setup, &QAction::triggered, this, [this] { m_actions.openSetup(); });
    QAction* line = m_menu->addAction(QStringLiteral("&Line…"));
    line->setObjectName(QStringLiteral("openLine"));
    // Shown in the menu; the form's own shortcut below acts on it while the menu is closed.
    line->setShortcut(lineKey);
    line->setShortcutContext(Qt::WidgetShortcut);
    connect(line, &QAction::triggered, this, [this] { m_actions.line(); });
    QAction* about = m_menu->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("about"));
    connect(about, &QAction::triggered, this, [this] { m_actions.about(); });

    form->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(form, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu()->popup(m_form->mapToGlobal(at)); });
    connect(new QShortcut(lineKey, form), &QShortcut::activated, this,
            [this] { m_actions.line(); });
}

QMenu* FormMenu::menu()
{
    m_menu->findChild<QAction*>(QStringLiteral("openSetup"))->setEnabled(m_actions.setupAllowed());
    return m_menu;
}
