#include "writers/statefile.h"

#include "app/session.h"
#include "common/dialogs.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storedrows.h"
#include "store/storeerror.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <optional>

namespace wagetrove {
namespace {

enum EmployeeColumn
{
    kName,
    kSS,
    kLastName,
    kFirstName,
    kMiddleName,
    kOwner,
    kUnitCode,
    kGrossWages,
    kTaxableWages,
    kSWHWages,
    kSWHAmount,
    kTotalHours,
    kMonth1,
    kMonth2,
    kMonth3,
};

/// The progress of the writer running on this thread, which the employee loop steps: the writers share the
/// loop but not a way to hand it the dialogs.
thread_local ProgressScope* t_writerProgress = nullptr;

/// What the writer says when the user cancels it; the file is then not written.
const QString kFileCancelled = QStringLiteral("File creation cancelled");

} // namespace

QString middleInitial(const QString& middleName)
{
    return middleName > QLatin1String(" ") ? middleName.left(1) : QString();
}

QString monthFlag(bool worked)
{
    return worked ? QStringLiteral("1") : QStringLiteral("0");
}

QString EmployeeRow::who() const
{
    return QStringLiteral("Employee %1, %2 (SS %3)").arg(LastName, FirstName, SS);
}

StateFileContext::StateFileContext(QString unexpectedMessage, QString fileLabel)
    : m_unexpectedMessage(std::move(unexpectedMessage)), m_fileLabel(std::move(fileLabel))
{}

WriteFailure StateFileContext::unexpected() const
{
    return {m_unexpectedMessage, true};
}

WriteFailure StateFileContext::outputFailure(const QString& path, const QString& reason) const
{
    return {m_unexpectedMessage + QStringLiteral("\r\n%1: %2").arg(QDir::toNativeSeparators(path), reason), true};
}

WriteFailure StateFileContext::valueFailure(const QString& where, const QString& reason) const
{
    return {QStringLiteral("%1 was not written. %2: %3").arg(m_fileLabel, where, reason), false};
}

void StateFileContext::forEachEmployee(WageStore& store, EmployeeOrder order,
                                       const std::function<void(const EmployeeRow&)>& onEmployee) const
{
    store.runStoredQuery(schema::kDeleteZeros);
    forEachStoredEmployee(store, order, onEmployee);
}

void StateFileContext::forEachStoredEmployee(WageStore& store, EmployeeOrder order,
                                             const std::function<void(const EmployeeRow&)>& onEmployee) const
{
    const QString orderBy = order == EmployeeOrder::LastName ? QStringLiteral("[LastName]") : QStringLiteral("[Name]");
    try {
        if (t_writerProgress) {
            t_writerProgress->setTotal(
                scalar(store.database(), QStringLiteral("SELECT count(*) FROM [Employee]")).toLongLong());
        }
        StoredRows rows(store.database(),
                        QStringLiteral("SELECT [Name], [SS], [LastName], [FirstName], [MiddleName], [Owner], "
                                       "[UnitCode], [GrossWages], [TaxableWages], [SWHWages], [SWHAmount], "
                                       "[TotalHours], [Month1], [Month2], [Month3] FROM [Employee] ORDER BY %1, rowid")
                            .arg(orderBy));
        const auto flag = [&rows](int column) {
            return rows.isInteger(column) ? rows.integer(column) != 0 : rows.value(column).toLongLong() != 0;
        };
        while (rows.next()) {
            if (t_writerProgress && !t_writerProgress->step()) {
                throw WriteFailure{kFileCancelled};
            }
            EmployeeRow row;
            row.Name = rows.text(kName);
            row.SS = rows.text(kSS);
            row.LastName = rows.text(kLastName);
            row.FirstName = rows.text(kFirstName);
            row.MiddleName = rows.text(kMiddleName);
            row.Owner = rows.text(kOwner);
            row.UnitCode = rows.text(kUnitCode);
            row.Month1 = flag(kMonth1);
            row.Month2 = flag(kMonth2);
            row.Month3 = flag(kMonth3);
            const std::pair<int, Currency*> amounts[] = {{kGrossWages, &row.GrossWages},
                                                         {kTaxableWages, &row.TaxableWages},
                                                         {kSWHWages, &row.SWHWages},
                                                         {kSWHAmount, &row.SWHAmount},
                                                         {kTotalHours, &row.TotalHours}};
            for (const auto& [column, amount] : amounts) {
                if (rows.isInteger(column)) {
                    *amount = Currency::fromRaw(rows.integer(column));
                    continue;
                }
                const QVariant value = rows.value(column);
                bool ok = true;
                const qlonglong raw = value.isNull() ? 0 : value.toLongLong(&ok);
                if (!ok) {
                    throw valueFailure(row.who(), QStringLiteral("The stored %1 \"%2\" is not an amount.")
                                                      .arg(rows.columnName(column), value.toString()));
                }
                *amount = Currency::fromRaw(raw);
            }
            onEmployee(row);
        }
    } catch (const StoreError&) {
        throw unexpected();
    }
}

StateFile::StateFile(const QString& fileName, const StateFileContext& context) : m_file(fileName), m_context(context)
{
    if (QFileInfo(fileName).isDir()) {
        throw m_context.outputFailure(fileName, QStringLiteral("it is a folder, not a file"));
    }
    if (!m_file.open(QIODevice::WriteOnly)) {
        throw m_context.outputFailure(fileName, m_file.errorString());
    }
}

void StateFile::write(const FixedRecord& record, const QString& which)
{
    if (!record.ok()) {
        throw m_context.valueFailure(which, record.failureReason());
    }
    write(record.bytes());
}

void StateFile::write(const FixedRecord& record, const EmployeeRow& employee)
{
    if (!record.ok()) {
        throw m_context.valueFailure(employee.who(), record.failureReason());
    }
    write(record.bytes());
}

void StateFile::write(const QByteArray& bytes)
{
    if (m_file.write(bytes) != bytes.size()) {
        throw m_context.outputFailure(m_file.fileName(), m_file.errorString());
    }
}

void StateFile::commit()
{
    if (!m_file.commit()) {
        throw m_context.outputFailure(m_file.fileName(), m_file.errorString());
    }
}

void reportWriterProgress(qint64 done, qint64 total)
{
    if (t_writerProgress && !t_writerProgress->report(done, total)) {
        throw WriteFailure{kFileCancelled};
    }
}

bool runStateFileWriter(Session& session, Dialogs& dialogs, const StateFileContext& context,
                        const std::function<void(WageStore&)>& body)
{
    std::optional<WriteFailure> failure;
    try {
        // The hourglass and the progress window go before a failure's message is shown.
        dialogs.setBusy(true);
        const auto restorePointer = qScopeGuard([&dialogs] { dialogs.setBusy(false); });
        ProgressScope progress(dialogs, QStringLiteral("Writing the file..."));
        t_writerProgress = &progress;
        const auto endProgress = qScopeGuard([] { t_writerProgress = nullptr; });
        WageStore ownStore;
        WageStore& store = session.Store.isOpen() ? session.Store : ownStore;
        if (!store.isOpen()) {
            store.open(session.DataFolder + WageStore::kFileName);
        }
        body(store);
    } catch (const WriteFailure& stopped) {
        failure = stopped;
    } catch (const StoreError&) {
        failure = context.unexpected();
    }
    if (!failure) {
        return true;
    }
    dialogs.message(failure->message, failure->unexpected ? QStringLiteral("Error") : kApplicationTitle,
                    failure->unexpected ? MessageIcon::Critical : MessageIcon::Exclamation);
    return false;
}

} // namespace wagetrove
