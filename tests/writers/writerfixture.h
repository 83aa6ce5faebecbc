#pragma once

#include "app/session.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace wagetrove::test {

/// The Employee columns most writer tests fill, without and with the three monthly flags.
inline const QString kWageColumns = QStringLiteral("SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages");
inline const QString kMonthlyWageColumns = kWageColumns + QStringLiteral(", Month1, Month2, Month3");

/// A store, scripted dialogs and an output folder holding one target file: for tests of the file writers. Test
/// classes inherit it next to QObject and call resetWriter() from init().
class WriterFixture
{
protected:
    /// `fileName` is the target's name in the output folder; `employeeColumns` the Employee columns addEmployee()
    /// fills, comma separated.
    WriterFixture(const QString& fileName, const QString& employeeColumns);

    /// A new store and dialogs, and an empty output folder.
    void resetWriter();
    Session& session() { return m_store->session(); }
    QString target() const;
    /// Inserts one Employee row of `values`, in the order of the columns given at construction.
    void addEmployee(const QString& values);
    /// Last quarter's file at the target, for a failed write to leave alone.
    void placeExistingFile();
    /// One message shown, holding every part (and titled `title` when one is given); the file placed before
    /// untouched, no other file left in the output folder and the hourglass restored.
    void verifyStopped(const QStringList& messageParts, const QString& title = QString());
    /// The one error message `text`, titled Error, the file placed before untouched and the hourglass restored.
    void verifyErrorShown(const QString& text);

    std::unique_ptr<StoreFixture> m_store;
    ScriptedDialogs m_dialogs;
    QTemporaryDir m_out;

private:
    QString m_fileName;
    QString m_employeeColumns;
};

} // namespace wagetrove::test
