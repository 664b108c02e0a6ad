#include "ui/MainWindow.h"

#include "core/Fields.h"
#include "core/Form1.h"
#include "core/OpenDryx.h"
#include "core/Simulator.h"
#include "core/SimulatorError.h"
#include "ui/EnterPressesButton.h"
#include "ui/FocusLeaveGuard.h"
#include "ui/FormLayout.h"
#include "ui/LampWidget.h"
#include "ui/Look.h"
#include "ui/MessageBox.h"
#include "ui/PanelWidget.h"
#include "ui/PictureButton.h"
#include "ui/Pictures.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <limits>

namespace
{

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

void setBackground(QWidget* control, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

} // namespace

MainWindow::MainWindow(Form1& form, Simulator& simulator, OpenDryx& openDryx, QWidget* parent)
    : QWidget(parent), m_form(form), m_simulator(simulator), m_openDryx(openDryx),
      m_presentRefusal([this](int, const EntryRefusal& refusal) {
          showMessageBox(this, refusal.title, refusal.message);
      }),
      m_endProgram([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QLatin1String(caption));
    setWindowIcon(QIcon(Pictures::windowIcon()));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(FormLayout::clientSize());
    setFont(Look::defaultFont());
    setBackground(this, Look::colour(Colours::window));

    m_guard = new FocusLeaveGuard(this, [this](QWidget* field) { return checkField(field); });
    m_enterPresses = new EnterPressesButton(this);
    createControls();
    setTabOrder();

    for (const FieldRow& field : Fields::all())
        showText(field.number);
    showLamps();
    for (int index = 1; index <= Form1::alarmCount; ++index)
        showAlarm(index);

    m_command2->setFocus();
    m_form.setObserver(this);
}

MainWindow::~MainWindow()
{
    m_form.setObserver(nullptr);
}

void MainWindow::setRefusalPresenter(RefusalPresenter presenter)
{
    m_presentRefusal = std::move(presenter);
}

void MainWindow::setProgramEnd(ProgramEnd end)
{
    m_endProgram = std::move(end);
}

void MainWindow::createControls()
{
    // The panel first: it lies beneath every other control.
    QList<QLine> lines;
    for (const FormLayout::LeaderLine& line : FormLayout::leaderLines())
        lines.append(FormLayout::pixelLine(line));
    auto* panel = new PanelWidget(lines, this);
    place(panel, QStringLiteral("Shape2"));

    addLabel(QStringLiteral("Label2"), QStringLiteral("DRYX Tamblo V1.1"), Look::bannerFont())
        ->setAlignment(Qt::AlignCenter);

    m_command1 = addButton(QStringLiteral("Command1"), QStringLiteral("Start"));
    connect(m_command1, &QPushButton::clicked, this, [this] { m_simulator.Command1_Click(); });
    m_command3 = addButton(QStringLiteral("Command3"), QStringLiteral("Stop"));
    connect(m_command3, &QPushButton::clicked, this, [this] { m_simulator.Command3_Click(); });
    m_command2 = addButton(QStringLiteral("Command2"), QStringLiteral("Close"));
    connect(m_command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    m_shape5 = addLamp(QStringLiteral("Shape5"));
    m_shape1 = addLamp(QStringLiteral("Shape1"));

    m_picture4 = new PictureButton(Pictures::launcher(), Look::colour(Colours::window), this);
    m_picture4->setToolTip(QStringLiteral("Open DRYX"));
    place(m_picture4, QStringLiteral("Picture4"));
    connect(m_picture4, &PictureButton::clicked, this, [this] { Picture4_Click(); });

    // The caption beside each entry field: Label1(0)..Label1(6) stand by the entry fields in
    // the order of their numbers.
    int caption = 0;
    for (const FieldRow& field : Fields::all()) {
        if (!field.isEntry())
            continue;
        auto* label = new QLabel(QLatin1String(field.caption), this);
        place(label, indexed("Label1", caption++));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Look::highlightedText(palette));
        label->setPalette(palette);
        setBackground(label, Look::colour(Colours::panel));
    }

    for (const FieldRow& field : Fields::all())
        m_text[std::size_t(field.number - 1)] = addField(field.number);

    for (int index = 1; index <= Form1::alarmCount; ++index) {
        QPushButton* button =
            addButton(indexed("Command4", index), QStringLiteral("A%1").arg(index));
        connect(button, &QPushButton::clicked, this,
                [this, index] { m_simulator.Command4_Click(index); });
        m_command4[std::size_t(index - 1)] = button;

        m_shape3[std::size_t(index - 1)] = addLamp(indexed("Shape3", index));
    }

    addLabel(QStringLiteral("Label3"), QStringLiteral("DRYX PLC Test project"), Look::creditFont())
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    addLabel(QStringLiteral("Label4"), QStringLiteral("dryx-plc-test.example.org"),
             Look::defaultFont())
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void MainWindow::place(QWidget* control, const QString& name)
{
    control->setObjectName(name);
    control->setGeometry(FormLayout::pixelRect(FormLayout::place(name)));
}

QLabel* MainWindow::addLabel(const QString& name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, this);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    setBackground(label, Look::colour(Colours::window));
    place(label, name);
    return label;
}

QPushButton* MainWindow::addButton(const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(m_enterPresses);
    place(button, name);
    return button;
}

QLineEdit* MainWindow::addField(int field)
{
    auto* edit = new QLineEdit(this);
    place(edit, QStringLiteral("Text%1").arg(field));
    edit->setTextMargins(0, 0, 0, 0);
    // No length limit: a long entry is taken in full.
    edit->setMaxLength(std::numeric_limits<int>::max());
    if (!EntryChecks::isChecked(field)) {
        // Text5 only shows the switcher's count.
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setAlignment(Qt::AlignCenter);
        return edit;
    }
    // Typed text goes into the form as it stands; the core reads exactly that.
    connect(edit, &QLineEdit::textChanged, this,
            [this, field](const QString& text) { m_form.text(field).setText(text); });
    m_guard->guard(edit);
    return edit;
}

LampWidget* MainWindow::addLamp(const QString& name)
{
    auto* lamp = new LampWidget(this);
    place(lamp, name);
    return lamp;
}

void MainWindow::setTabOrder()
{
    // The controls that can take the focus, in the order of their tab indexes.
    QList<std::pair<int, QWidget*>> order;
    for (const FormLayout::Place& row : FormLayout::places()) {
        auto* control = findChild<QWidget*>(QLatin1String(row.name));
        if (row.tabIndex && control && control->focusPolicy() != Qt::NoFocus)
            order.append({*row.tabIndex, control});
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

void MainWindow::memberChanged(FormMember member)
{
    switch (member.kind) {
    case FormMember::Kind::Text:
        return showText(member.index);
    case FormMember::Kind::RunningLamp:
    case FormMember::Kind::StoppedLamp:
        return showLamps();
    case FormMember::Kind::AlarmLamp:
    case FormMember::Kind::AlarmButton:
        return showAlarm(member.index);
    case FormMember::Kind::Timer:
    case FormMember::Kind::AlarmState:
    case FormMember::Kind::SwitchTicks:
    case FormMember::Kind::PortOpen:
        return; // not shown: the lamps and Text5 show what the operator sees of them
    }
}

void MainWindow::showText(int field)
{
    QLineEdit* edit = m_text[std::size_t(field - 1)];
    const QString& text = m_form.text(field).text();
    if (edit->text() != text)
        edit->setText(text);
    if (!EntryChecks::isChecked(field))
        fitWhole(edit);
}

// Text5 is too narrow for the text it is created with ("Text5": a start-up that failed leaves
// it): a display shows its text whole, in a smaller face where need be, never cut.
void MainWindow::fitWhole(QLineEdit* display)
{
    constexpr int frameAndMargins = 8; // a line edit's frame and inner margins, both sides
    QFont font = Look::defaultFont();
    const int room = display->width() - frameAndMargins;
    while (QFontMetrics(font).horizontalAdvance(display->text()) > room && font.pointSizeF() > 4)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    display->setFont(font);
    display->setCursorPosition(0);
}

void MainWindow::showLamps()
{
    m_shape5->setColours(Look::colour(m_form.Shape5.fillColor()),
                         Look::colour(m_form.Shape5.borderColor()));
    m_shape5->setVisible(m_form.Shape5.visible());
    m_shape1->setColours(Look::colour(m_form.Shape1.fillColor()),
                         Look::colour(m_form.Shape1.borderColor()));
    m_shape1->setVisible(m_form.Shape1.visible());
}

void MainWindow::showAlarm(int index)
{
    const Lamp& lamp = m_form.Shape3(index);
    LampWidget* shown = m_shape3[std::size_t(index - 1)];
    shown->setColours(Look::colour(lamp.fillColor()), Look::colour(lamp.borderColor()));
    shown->setVisible(lamp.visible());
    m_command4[std::size_t(index - 1)]->setVisible(m_form.Command4(index).visible());
}

bool MainWindow::checkField(QWidget* field)
{
    // NOLINTNEXTLINE(readability-qualified-auto): an array iterator, a pointer only in libstdc++
    const auto found = std::find(m_text.begin(), m_text.end(), field);
    if (found == m_text.end())
        return true;
    const int number = int(found - m_text.begin()) + 1;
    const auto refusal = m_simulator.leaveField(number);
    if (!refusal)
        return true;
    m_presentRefusal(number, *refusal);
    return false;
}

void MainWindow::Picture4_Click()
{
    m_openDryx.Picture4_Click();
}

void MainWindow::Command2_Click()
{
    m_endProgram();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Where the keyboard focus is shows from the first moment, not only once a key has moved
    // it: the window starts as if the Tab key had brought the focus to "Close".
    if (!std::exchange(m_shownOnce, true)) {
        setAttribute(Qt::WA_KeyboardFocusChange);
        m_command2->setFocus(Qt::TabFocusReason);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_endProgram();
}
