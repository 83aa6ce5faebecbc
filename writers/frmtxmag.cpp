#include "writers/frmtxmag.h"

#include "app/form5.h"
#include "app/session.h"
#include "app/windowfinish.h"
#include "writers/transmitter.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace wagetrove {

frmTXMag::frmTXMag(Session& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_session(session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmTXMag"));
    setWindowTitle(QStringLiteral("ICESA Transmitter Information"));
    for (int number = 1; number <= 14; ++number) {
        auto* box = new QLineEdit(m_session.frmTXMag.box(number), this);
        box->setObjectName(QStringLiteral("Text%1").arg(number));
        connect(box, &QLineEdit::textEdited, this,
                [this, number](const QString& edited) { m_session.frmTXMag.box(number) = edited; });
        m_texts[static_cast<std::size_t>(number) - 1] = box;
    }

    const auto group = [this](const QString& title, std::initializer_list<std::pair<const char*, int>> rows) {
        auto* box = new QGroupBox(title, this);
        auto* form = new QFormLayout(box);
        for (const auto& [label, number] : rows) {
            form->addRow(QLatin1String(label), text(number));
        }
        return box;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group(QStringLiteral("Employer Name and Address"),
                            {{"Name", 1}, {"Address", 2}, {"City", 3}, {"State", 4}, {"Zip", 5}}));
    layout->addWidget(group(QStringLiteral("Transmitting Firm Name and Address"),
                            {{"Name", 6}, {"EIN", 13}, {"Address", 7}, {"City", 8}, {"State", 11}, {"Zip", 12}}));
    layout->addWidget(group(QStringLiteral("Technical Contact Info"),
                            {{"Contact Name", 9}, {"Contact Phone", 14}, {"EMail Address", 10}}));

    auto* command1 = new QPushButton(QStringLiteral("Create File"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    auto* command3 = new QPushButton(QStringLiteral("Exit"), this);
    command3->setObjectName(QStringLiteral("Command3"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1);
    buttons->addWidget(command3);
    layout->addStretch();
    layout->addLayout(buttons);
    connect(command1, &QPushButton::clicked, this, &frmTXMag::createFileClicked);
    connect(command3, &QPushButton::clicked, this, &QDialog::reject);
    finishWindow(this);
}

void frmTXMag::createFileClicked()
{
    const bool written = CreateTransmitterFile(m_session, m_dialogs, [this] {
        Form5 instructions(m_session, m_dialogs, this);
        instructions.exec();
    });
    if (written) {
        accept();
    }
}

} // namespace wagetrove
