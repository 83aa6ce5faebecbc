#include "app/form1.h"

#include "acquire/getpayrolldata.h"
#include "app/about.h"
#include "app/commands.h"
#include "app/createfile.h"
#include "app/leavewatcher.h"
#include "app/period.h"
#include "app/qtpayrolldatawindows.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "app/windowfinish.h"
#include "common/dialogs.h"
#include "forms/windowtitles.h"
#include "store/frmgrosstaxable.h"
#include "store/frmstateidtable.h"
#include "store/frmsubmitter.h"
#include "totals/form3.h"
#include "writers/frmtxmag.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace wagetrove {
namespace {

struct CommandButton
{
    MainCommand command;
    const char* caption;
};

// Top to bottom as the window shows them.
constexpr CommandButton kCommandButtons[] = {
    {MainCommand::GetPayrollData, "Get Payroll Data"},
    {MainCommand::ViewTotals, "View Totals"},
    {MainCommand::EditChange, "Edit/Change"},
    {MainCommand::CreateFile, "Create File"},
    {MainCommand::SubmitterOptions, "Submitter/Options"},
    {MainCommand::EditCompanyInfo, "Edit Company Info"},
    {MainCommand::WageListing, "Wage Listing"},
    {MainCommand::WebSite, "Click here to visit our site"},
    {MainCommand::Exit, "Exit"},
};

QLineEdit* makeDateBox(const QString& name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setInputMask(QStringLiteral("00/00/0000;_"));
    box->setMaxLength(10);
    return box;
}

} // namespace

Form1::Form1(Session& session, MainWindowState& state, Dialogs& dialogs, QDate today, QWidget* parent)
    : QWidget(parent), m_session(session), m_state(state), m_dialogs(dialogs), m_today(today)
{
    setObjectName(QStringLiteral("Form1"));
    buildLayout();
    refresh();
    connectHandlers();
    // The Help menu takes Alt+H.
    finishWindow(this, QStringLiteral("h"));
}

QPushButton* Form1::button(MainCommand command) const
{
    return m_commands[static_cast<std::size_t>(command) - 1];
}

void Form1::buildLayout()
{
    auto* frame = new QGroupBox(QStringLiteral("State and Period"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_combo1 = new QComboBox(frame);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    for (const StateEntry& entry : stateCatalogue()) {
        m_combo1->addItem(entry.text, entry.itemData);
    }

    auto* quarters = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QStringLiteral("%1 QTR").arg(i + 1), frame);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        quarters->addWidget(option);
        m_options[static_cast<std::size_t>(i)] = option;
    }

    m_text1 = makeDateBox(QStringLiteral("Text1"), frame);
    m_text2 = makeDateBox(QStringLiteral("Text2"), frame);
    auto* dates = new QGridLayout;
    dates->addWidget(new QLabel(QStringLiteral("From"), frame), 0, 0);
    dates->addWidget(m_text1, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("To"), frame), 1, 0);
    dates->addWidget(m_text2, 1, 1);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_combo1);
    frameLayout->addLayout(quarters);
    frameLayout->addLayout(dates);

    // The window's buttons are the program's commands; the menu bar holds only what is about the program.
    auto* menuBar = new QMenuBar(this);
    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    m_userGuideAction = help->addAction(QStringLiteral("&User Guide\tF1"));
    m_userGuideAction->setObjectName(QStringLiteral("userGuideAction"));
    m_aboutAction = help->addAction(QStringLiteral("&About Wagetrove"));
    m_aboutAction->setObjectName(QStringLiteral("aboutAction"));

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(frame);
    for (const CommandButton& entry : kCommandButtons) {
        auto* commandButton = new QPushButton(QLatin1String(entry.caption), this);
        commandButton->setObjectName(QStringLiteral("Command%1").arg(static_cast<int>(entry.command)));
        layout->addWidget(commandButton);
        m_commands[static_cast<std::size_t>(entry.command) - 1] = commandButton;
    }

    // The status line: the state file last written, with a way to its folder.
    m_writtenFile = new QLabel(this);
    m_writtenFile->setObjectName(QStringLiteral("writtenFile"));
    m_writtenFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_writtenFile->setWordWrap(true);
    m_openFolder = new QPushButton(QStringLiteral("Open Folder"), this);
    m_openFolder->setObjectName(QStringLiteral("openFolder"));
    auto* status = new QHBoxLayout;
    status->addWidget(m_writtenFile, 1);
    status->addWidget(m_openFolder);
    layout->addStretch();
    layout->addLayout(status);
}

void Form1::connectHandlers()
{
    connect(m_combo1, &QComboBox::currentIndexChanged, this, [this](int index) {
        selectState(m_session, index);
        refresh();
    });
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        connect(m_options[i], &QRadioButton::clicked, this, [this, i] {
            clickQuarter(m_session, m_state, static_cast<int>(i) + 1, m_today);
            refresh();
        });
    }
    auto* watcher = new LeaveWatcher(this);
    for (QLineEdit* box : {m_text1, m_text2}) {
        watcher->watch(box, [this, box] { return dateBoxLeft(box); });
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            (box == m_text1 ? m_state.fromText : m_state.toText) = box->displayText();
            dateTextChanged(m_state);
            refresh();
        });
    }
    connect(button(MainCommand::GetPayrollData), &QPushButton::clicked, this, &Form1::getPayrollDataClicked);
    connect(button(MainCommand::ViewTotals), &QPushButton::clicked, this,
            [this] { ShowTotalsWindow(m_session, m_dialogs, m_state.fromText, m_state.toText, this); });
    connect(button(MainCommand::EditChange), &QPushButton::clicked, this, [this] {
        EditChangeCommand(m_session, m_dialogs, [this](QSqlDatabase& store) {
            frmGrossTaxable window(store, stateAt(m_session.StatePosition).item(), m_dialogs, this);
            window.exec();
        });
    });
    connect(button(MainCommand::EditCompanyInfo), &QPushButton::clicked, this, [this] {
        EditCompanyInfoCommand(m_session, m_dialogs, [this](QSqlDatabase& store) {
            frmStateIDTable window(store, m_dialogs, this);
            window.exec();
        });
    });
    connect(button(MainCommand::CreateFile), &QPushButton::clicked, this, [this] {
        CreateFileCommand(m_session, m_dialogs, [this] {
            frmTXMag window(m_session, m_dialogs, this);
            window.exec();
        });
        refresh();
    });
    connect(button(MainCommand::WageListing), &QPushButton::clicked, this,
            [this] { WageListingCommand(m_session, m_dialogs, topLevelWindowTitles); });
    connect(button(MainCommand::Exit), &QPushButton::clicked, this, &Form1::exitClicked);
    connect(m_userGuideAction, &QAction::triggered, this, [this] {
        if (!openUserGuide()) {
            m_dialogs.message(QStringLiteral("The user guide could not be opened."), kApplicationTitle,
                              MessageIcon::Exclamation);
        }
    });
    connect(m_aboutAction, &QAction::triggered, this, [this] { AboutCommand(m_session, m_dialogs); });
    connect(button(MainCommand::WebSite), &QPushButton::clicked, this,
            [this] { OpenWebSiteCommand(m_session, m_dialogs); });
    connect(m_openFolder, &QPushButton::clicked, this, [this] {
        if (!m_dialogs.openDocument(QFileInfo(m_session.WrittenFile).absolutePath())) {
            m_dialogs.message(QStringLiteral("The folder could not be opened."), kApplicationTitle,
                              MessageIcon::Exclamation);
        }
    });
    connect(button(MainCommand::SubmitterOptions), &QPushButton::clicked, this, [this] {
        frmSubmitter window(m_session, m_state, m_dialogs, this);
        window.exec();
        refresh();
    });
}

void Form1::refresh()
{
    setWindowTitle(m_state.caption);
    {
        const QSignalBlocker blocker(m_combo1);
        m_combo1->setCurrentIndex(m_session.StatePosition);
    }
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        if (m_state.checkedQuarter == static_cast<int>(i) + 1) {
            m_options[i]->setChecked(true);
        }
    }
    for (QLineEdit* box : {m_text1, m_text2}) {
        const QString& text = box == m_text1 ? m_state.fromText : m_state.toText;
        if (box->displayText() != text) {
            box->setText(text);
        }
    }
    button(MainCommand::GetPayrollData)->setText(m_state.command1Caption);
    for (const CommandButton& entry : kCommandButtons) {
        button(entry.command)->setEnabled(m_state.isEnabled(entry.command));
        button(entry.command)->setToolTip(m_state.whyDisabled(entry.command));
    }
    m_writtenFile->setText(m_session.WrittenFile.isEmpty()
                               ? QString()
                               : QStringLiteral("File written: ") + QDir::toNativeSeparators(m_session.WrittenFile));
    m_writtenFile->setVisible(!m_session.WrittenFile.isEmpty());
    m_openFolder->setVisible(!m_session.WrittenFile.isEmpty());
    // Create File is offered only for the states whose file this release writes.
    if (!isCreateFileOffered(stateAt(m_session.StatePosition).item())) {
        button(MainCommand::CreateFile)->setEnabled(false);
        button(MainCommand::CreateFile)->setToolTip(QStringLiteral("This release does not write this state's file"));
    }
    // The Help menu takes Alt+H.
    assignAccelerators(this, QStringLiteral("h"));
}

QWidget* Form1::dateBoxLeft(QLineEdit* box)
{
    const FocusTarget target =
        box == m_text1 ? leaveFromBox(m_state, m_dialogs) : leaveToBox(m_session, m_state, m_dialogs);
    refresh();
    switch (target) {
    case FocusTarget::FromBox:
        return m_text1;
    case FocusTarget::ToBox:
        return m_text2;
    case FocusTarget::GetPayrollData:
        return button(MainCommand::GetPayrollData);
    case FocusTarget::Unchanged:
        break;
    }
    return nullptr;
}

void Form1::getPayrollDataClicked()
{
    QtPayrollDataWindows windows(m_session, m_dialogs, this);
    GetPayrollData(m_session, m_state, m_dialogs, windows);
    refresh();
    raise();
    activateWindow();
}

void Form1::exitClicked()
{
    close();
    QApplication::quit();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) {
            focused->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!m_exited) {
        m_exited = true;
        ExitCommand(m_session, m_dialogs);
    }
    QWidget::closeEvent(event);
}

} // namespace wagetrove
