#include "totals/form3.h"

#include "app/leavewatcher.h"
#include "app/session.h"
#include "app/windowfinish.h"
#include "totals/totalsfields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace wagetrove {

Form3::Form3(Session& session, Dialogs& dialogs, const TotalsLayout& layout, QWidget* parent)
    : QDialog(parent), m_session(session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(kTotalsWindowCaption);
    buildLayout();
    applyLayout(layout);
    loadTexts();
    watchFields();
    finishWindow(this);
}

QString& Form3::boxText(int number) const
{
    return m_session.Form3.box(number);
}

void Form3::buildLayout()
{
    for (int i = 0; i < 16; ++i) {
        auto* caption = new QLabel(this);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        m_labels[static_cast<std::size_t>(i)] = caption;
    }
    for (int i = 0; i < 13; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        m_texts[static_cast<std::size_t>(i)] = box;
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString& edited) { boxText(i + 1) = edited; });
    }
    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    connect(m_command1, &QPushButton::clicked, this, &QDialog::accept);

    // Top to bottom: heading, period, the month counts beside the out-of-county count, then one line per total.
    auto* grid = new QGridLayout(this);
    grid->addWidget(label(1), 0, 0, 1, 4);
    grid->addWidget(label(4), 1, 0, 1, 4);
    grid->addWidget(label(2), 2, 0, 1, 3);
    grid->addWidget(label(8), 3, 0);
    grid->addWidget(label(9), 3, 1);
    grid->addWidget(label(10), 3, 2);
    grid->addWidget(label(14), 3, 3);
    grid->addWidget(text(1), 4, 0);
    grid->addWidget(text(3), 4, 1);
    grid->addWidget(text(4), 4, 2);
    grid->addWidget(text(11), 4, 3);
    const std::pair<int, int> rows[] = {{3, 2}, {5, 5}, {6, 6}, {7, 7}, {11, 8}, {12, 9}, {13, 10}, {15, 12}, {16, 13}};
    int row = 5;
    for (const auto& [labelNumber, textNumber] : rows) {
        grid->addWidget(label(labelNumber), row, 0, 1, 2);
        grid->addWidget(text(textNumber), row, 2, 1, 2);
        ++row;
    }
    // A taller window keeps the lines together and leaves the room above the button; a wider one gives it to
    // the boxes.
    grid->setRowStretch(row, 1);
    grid->addWidget(m_command1, row + 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
}

void Form3::applyLayout(const TotalsLayout& layout)
{
    const QString* const captions[] = {&layout.Label1,  &layout.Label2,  &layout.Label3,  &layout.Label4,
                                       &layout.Label5,  &layout.Label6,  &layout.Label7,  &layout.Label8,
                                       &layout.Label9,  &layout.Label10, &layout.Label11, &layout.Label12,
                                       &layout.Label13, &layout.Label14, &layout.Label15, &layout.Label16};
    for (int i = 0; i < 16; ++i) {
        label(i + 1)->setText(*captions[i]);
    }
    for (int number = 1; number <= 13; ++number) {
        text(number)->setReadOnly(isComputedBox(m_session, number));
    }
    // Amounts line up on the right, as on paper.
    for (int number : {2, 5, 7, 12, 13}) {
        text(number)->setAlignment(Qt::AlignRight);
    }
    label(13)->setVisible(layout.countyVisible);
    text(10)->setVisible(layout.countyVisible);
    text(10)->setEnabled(layout.text10Enabled);
    label(14)->setVisible(layout.outOfCountyVisible);
    text(11)->setVisible(layout.outOfCountyVisible);
    for (QWidget* widget : {static_cast<QWidget*>(label(15)), static_cast<QWidget*>(label(16)),
                            static_cast<QWidget*>(text(12)), static_cast<QWidget*>(text(13))}) {
        widget->setVisible(layout.withholdingVisible);
    }
}

void Form3::loadTexts()
{
    for (int i = 1; i <= 13; ++i) {
        if (text(i)->text() != boxText(i)) {
            text(i)->setText(boxText(i));
        }
    }
}

void Form3::watchFields()
{
    m_inForce = m_session.Form3;
    auto* watcher = new LeaveWatcher(this);
    for (int number : {1, 3, 4, 6, 8, 9, 10}) {
        watcher->watch(text(number), [this, number]() -> QWidget* {
            const bool back = leaveTotalsBox(m_session, m_dialogs, number, m_inForce);
            loadTexts();
            return back ? text(number) : nullptr;
        });
    }
}

void ShowTotalsWindow(Session& session, Dialogs& dialogs, const QString& fromBox, const QString& toBox, QWidget* parent)
{
    Form3 window(session, dialogs, ShowTotalsWindowLayout(session, fromBox, toBox), parent);
    window.exec();
}

} // namespace wagetrove
