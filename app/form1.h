#pragma once

#include "app/mainwindowstate.h"

#include <QDate>
#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace wagetrove {

class Dialogs;
struct Session;

/// The main window: the frame "State and Period" and the command buttons. It shows what MainWindowState holds
/// and hands every event to a core function.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    Form1(Session& session, MainWindowState& state, Dialogs& dialogs, QDate today, QWidget* parent = nullptr);

    QPushButton* button(MainCommand command) const;

private:
    void buildLayout();
    void connectHandlers();
    /// Shows the state: texts, the checked quarter and every button's enabled state.
    void refresh();
    /// Checks a date box the user left; returns the widget that is to get the focus, if any.
    QWidget* dateBoxLeft(QLineEdit* box);
    void getPayrollDataClicked();
    void exitClicked();
    /// Closing the window by any means ends the program as Exit does.
    void closeEvent(QCloseEvent* event) override;
    /// Enter presses the focused command button, as it does in the program's dialogs.
    void keyPressEvent(QKeyEvent* event) override;

    Session& m_session;
    MainWindowState& m_state;
    Dialogs& m_dialogs;
    QDate m_today;

    QComboBox* m_combo1 = nullptr;
    std::array<QRadioButton*, 4> m_options{};
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    std::array<QPushButton*, 9> m_commands{};
    QAction* m_aboutAction = nullptr;
    QAction* m_userGuideAction = nullptr;
    QLabel* m_writtenFile = nullptr;
    QPushButton* m_openFolder = nullptr;
    bool m_exited = false;
};

} // namespace wagetrove
