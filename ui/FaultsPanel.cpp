#include "ui/FaultsPanel.h"

#include "core/RunDesk.h"
#include "core/UsageError.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
constexpr int idRole = Qt::UserRole;
constexpr int argumentRole = Qt::UserRole + 1;
constexpr int nameRole = Qt::UserRole + 2;
} // namespace

FaultsPanel::FaultsPanel(RunDesk& desk, QWidget* parent) : QWidget(parent), m_desk(desk)
{
    setObjectName(QStringLiteral("faults"));
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("faultKind"));
    // Each kind as help lists it: "garble K: one byte of line K is changed".
    for (const LineFault::KindEntry& kind : LineFault::kinds()) {
        m_kind->addItem(QStringLiteral("%1: %2").arg(
            (kind.name + QLatin1Char(' ') + kind.argument).trimmed(), kind.meaning));
        m_kind->setItemData(m_kind->count() - 1, kind.argument, argumentRole);
        m_kind->setItemData(m_kind->count() - 1, kind.name, nameRole);
    }
    m_argument = new QLineEdit(this);
    m_argument->setObjectName(QStringLiteral("faultArgument"));
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("faultCount"));
    m_count->setRange(1, 1000000);
    m_count->setSuffix(QStringLiteral(" data string(s)"));
    auto* armButton = new QPushButton(QStringLiteral("&Arm"), this);
    armButton->setObjectName(QStringLiteral("armFault"));
    m_said = new QLabel(this);
    m_said->setObjectName(QStringLiteral("faultSaid"));
    m_said->setWordWrap(true);
    m_said->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_armed = new QListWidget(this);
    m_armed->setObjectName(QStringLiteral("armedFaults"));
    m_armed->setAccessibleName(QStringLiteral("Faults armed"));
    m_armed->setMaximumHeight(m_armed->fontMetrics().height() * 6);
    m_takeBack = new QPushButton(QStringLiteral("&Take back"), this);
    m_takeBack->setObjectName(QStringLiteral("takeBackFault"));
    m_takeBack->setEnabled(false);

    auto* form = new QFormLayout;
    auto* kindLabel = new QLabel(QStringLiteral("&Kind:"), this);
    kindLabel->setBuddy(m_kind);
    form->addRow(kindLabel, m_kind);
    auto* argumentLabel = new QLabel(QStringLiteral("Ar&gument:"), this);
    argumentLabel->setBuddy(m_argument);
    form->addRow(argumentLabel, m_argument);
    auto* countLabel = new QLabel(QStringLiteral("&For the next:"), this);
    countLabel->setBuddy(m_count);
    auto* count = new QHBoxLayout;
    count->addWidget(m_count, 1);
    count->addWidget(armButton);
    form->addRow(countLabel, count);
    auto* making = new QVBoxLayout;
    making->addLayout(form);
    making->addWidget(m_said);
    making->addStretch();
    auto* armedLabel = new QLabel(QStringLiteral("Armed, not yet on the line:"), this);
    armedLabel->setBuddy(m_armed);
    auto* armed = new QVBoxLayout;
    armed->addWidget(armedLabel);
    armed->addWidget(m_armed, 1);
    armed->addWidget(m_takeBack, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(making, 3);
    layout->addLayout(armed, 2);

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { kindChosen(); });
    connect(armButton, &QPushButton::clicked, this, [this] { arm(); });
    connect(m_argument, &QLineEdit::returnPressed, this, [this] { arm(); });
    connect(m_takeBack, &QPushButton::clicked, this, [this] { takeBack(); });
    connect(m_armed, &QListWidget::currentRowChanged, this,
            [this](int row) { m_takeBack->setEnabled(row >= 0); });
    kindChosen();
}

void FaultsPanel::kindChosen()
{
    const QString argument = m_kind->currentData(argumentRole).toString();
    m_argument->setEnabled(!argument.isEmpty());
    m_argument->setPlaceholderText(argument.isEmpty() ? QStringLiteral("(takes none)") : argument);
}

// The fault is read as the command reads it, so that the desk arms the very fault `fault`
// would: only a text is taken as typed, quotes and blanks included.
void FaultsPanel::arm()
{
    const QString argument = m_kind->currentData(argumentRole).toString();
    const bool takesText = argument == QLatin1String("TEXT");
    QString words = m_kind->currentData(nameRole).toString();
    if (takesText)
        words += QStringLiteral(" \"\"");
    else if (!argument.isEmpty())
        words += QLatin1Char(' ') + m_argument->text().trimmed();
    LineFault fault;
    try {
        fault = LineFault::parse(words);
    } catch (const UsageError& error) {
        m_said->setText(QStringLiteral("Not armed: %1").arg(error.message()));
        return;
    }
    if (takesText)
        fault.text = m_argument->text();
    fault.dataStrings = m_count->value();
    m_said->setText(m_desk.armFault(fault));
    refresh();
}

void FaultsPanel::takeBack()
{
    const QListWidgetItem* item = m_armed->currentItem();
    if (!item)
        return;
    const QString fault = item->text();
    m_said->setText(m_desk.takeBackFault(item->data(idRole).toULongLong())
                        ? QStringLiteral("fault %1 taken back").arg(fault)
                        : QStringLiteral("fault %1 has gone on the line meanwhile").arg(fault));
    refresh();
}

void FaultsPanel::refresh()
{
    const QList<LineFaults::Armed> armed = m_desk.armedFaults();
    bool same = armed.size() == m_armed->count();
    for (int row = 0; same && row < armed.size(); ++row)
        same = m_armed->item(row)->data(idRole).toULongLong() == armed[row].id &&
               m_armed->item(row)->text() == armed[row].fault;
    if (same)
        return;
    const quint64 chosen =
        m_armed->currentItem() ? m_armed->currentItem()->data(idRole).toULongLong() : 0;
    m_armed->clear();
    for (const LineFaults::Armed& fault : armed) {
        auto* item = new QListWidgetItem(fault.fault, m_armed);
        item->setData(idRole, QVariant::fromValue(fault.id));
        if (fault.id == chosen)
            m_armed->setCurrentItem(item);
    }
    m_takeBack->setEnabled(m_armed->currentItem() != nullptr);
}
