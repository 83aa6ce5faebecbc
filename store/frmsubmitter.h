#pragma once

#include "store/submitteroptions.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QDataWidgetMapper;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wagetrove {

/// The window "Submitter Information": the nine fields of the Submitter row and the session's options. It holds
/// the wage store from its opening until it closes; the bound fields' edits are saved whichever button closes it.
class frmSubmitter : public QDialog
{
    Q_OBJECT

public:
    frmSubmitter(Session& session, MainWindowState& window, Dialogs& dialogs, QWidget* parent = nullptr);
    ~frmSubmitter() override;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void bindFields();
    void connectHandlers();
    /// Shows the option boxes as the editor holds them.
    void showBoxes();
    void releaseBinding();

    SubmitterEditor m_editor;
    QDataWidgetMapper* m_mapper = nullptr;
    std::array<QLineEdit*, 9> m_boundFields{};
    QLineEdit* m_remitterId = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLineEdit* m_quickBooks = nullptr;
    QPushButton* m_browseQuickBooks = nullptr;
    QPushButton* m_webConnectorFile = nullptr;
    Session& m_session;
    Dialogs& m_dialogs;
    std::array<QCheckBox*, 8> m_checks{};
    QLabel* m_recordCaption = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
};

} // namespace wagetrove
