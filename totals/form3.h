#pragma once

#include "app/session.h"
#include "totals/totalslayout.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wagetrove {

class Dialogs;

/// The totals window. Shows the session's totals boxes with a layout computed by the core and hands every
/// edit and every check back to the core, so what the user corrects here is what is filed.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    Form3(Session& session, Dialogs& dialogs, const TotalsLayout& layout, QWidget* parent = nullptr);

    QLineEdit* text(int number) const { return m_texts[static_cast<std::size_t>(number) - 1]; }
    QLabel* label(int number) const { return m_labels[static_cast<std::size_t>(number) - 1]; }

private:
    void buildLayout();
    void applyLayout(const TotalsLayout& layout);
    void watchFields();
    /// Shows the session's box texts (a check may have changed several).
    void loadTexts();
    QString& boxText(int number) const;

    Session& m_session;
    Dialogs& m_dialogs;
    std::array<QLabel*, 16> m_labels{};
    std::array<QLineEdit*, 13> m_texts{};
    QPushButton* m_command1 = nullptr;
    TotalsWindowBoxes m_inForce; ///< the box texts as last accepted, shown again when a check refuses a text
};

/// View Totals: lays the totals window out for the session's state and the main window's period and shows it
/// modally until the user presses OK.
void ShowTotalsWindow(Session& session, Dialogs& dialogs, const QString& fromBox, const QString& toBox,
                      QWidget* parent);

} // namespace wagetrove
