#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace wagetrove {

class Dialogs;
struct Session;

/// The transmitter window: the employer, transmitting firm and contact boxes over the session's transmitter
/// texts, "Create File" and "Exit".
class frmTXMag : public QDialog
{
    Q_OBJECT

public:
    frmTXMag(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

    QLineEdit* text(int number) const { return m_texts[static_cast<std::size_t>(number) - 1]; }

private:
    void createFileClicked();

    Session& m_session;
    Dialogs& m_dialogs;
    std::array<QLineEdit*, 14> m_texts{};
};

} // namespace wagetrove
