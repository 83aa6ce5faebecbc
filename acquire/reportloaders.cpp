#include "acquire/reportloaders.h"

#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/currency.h"
#include "common/dialogs.h"
#include "common/lettercase.h"
#include "common/numerictext.h"
#include "store/bulkinsert.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storedrows.h"
#include "store/storeerror.h"

#include <QDate>
#include <QHash>

#include <algorithm>
#include <memory>
#include <vector>

namespace wagetrove {
namespace {

/// A failure a loader reports with its own name.
struct LoaderError
{
};

Currency amountOf(const QString& text)
{
    const std::optional<Currency> amount = Currency::fromAnyText(text.trimmed());
    if (!amount) {
        throw LoaderError{};
    }
    return *amount;
}

/// A report cell's amount: QuickBooks writes the plain form, which is read without making a text of it.
Currency amountOf(QByteArrayView value)
{
    if (const std::optional<Currency> plain = Currency::fromPlainDecimal(value)) {
        return *plain;
    }
    return amountOf(QString::fromUtf8(value));
}

Currency sum(Currency a, Currency b)
{
    const std::optional<Currency> total = a.plus(b);
    if (!total) {
        throw LoaderError{};
    }
    return *total;
}

/// A report's date, as qbXML writes it (yyyy-mm-dd) or as a report prints it (MM/DD/YYYY).
QDate reportDate(QByteArrayView value)
{
    const QByteArrayView date = value.trimmed();
    QDate parsed;
    // The qbXML form is read by hand: a report holds one date a row, and the general parser is slow.
    if (date.size() == 10 && date[4] == '-' && date[7] == '-') {
        bool yearOk = false;
        bool monthOk = false;
        bool dayOk = false;
        parsed = QDate(date.first(4).toInt(&yearOk), date.sliced(5, 2).toInt(&monthOk), date.last(2).toInt(&dayOk));
        if (!(yearOk && monthOk && dayOk)) {
            parsed = QDate();
        }
    }
    if (!parsed.isValid()) {
        parsed = QDate::fromString(QString::fromUtf8(date), QStringLiteral("MM/dd/yyyy"));
    }
    if (!parsed.isValid()) {
        throw LoaderError{};
    }
    return parsed;
}

int quarterNumber(const Session& session)
{
    return session.Quarter.toInt();
}

/// The stored employees found by name, and the changes to them, each saved in one statement. Names are compared
/// case-folded, so that a report's "Renée Dupré" finds the stored "RENÉE DUPRÉ"; they are read once into a hash, as
/// a report names every employee many times.
class EmployeeRows
{
public:
    struct Stored
    {
        qint64 rowId = 0;
        Currency gross;
    };

    explicit EmployeeRows(Session& session) : m_db(session.Store.database())
    {
        StoredRows rows(m_db, QStringLiteral("SELECT rowid, [Name], [GrossWages] FROM [Employee] ORDER BY rowid"));
        while (rows.next()) {
            // The first of two rows of one name is the one found.
            const QString name = caseFolded(rows.text(1));
            if (!m_byName.contains(name)) {
                m_byName.insert(name, {rows.value(0).toLongLong(), Currency::fromRaw(rows.value(2).toLongLong())});
            }
        }
    }

    std::optional<Stored> find(const QString& name) const
    {
        const auto it = m_byName.constFind(caseFolded(name.trimmed()));
        if (it == m_byName.constEnd()) {
            return std::nullopt;
        }
        return *it;
    }

    /// Runs one UPDATE of the row; each form of statement is prepared once, as a report updates many rows, and
    /// run on SQLite's own API, as binding through QSqlQuery costs more than the update itself.
    void update(qint64 rowId, const QString& assignments, const QList<qint64>& values)
    {
        auto it = m_updates.find(assignments);
        if (it == m_updates.end()) {
            auto statement = std::make_shared<BulkInsert>(
                m_db, QStringLiteral("UPDATE [Employee] SET %1 WHERE rowid = ?").arg(assignments));
            if (!statement->valid()) {
                throw StoreError(statement->errorText());
            }
            it = m_updates.insert(assignments, statement);
        }
        BulkInsert& statement = **it;
        int position = 1;
        for (const qint64 value : values) {
            statement.bind(position++, value);
        }
        statement.bind(position, rowId);
        if (!statement.run()) {
            throw StoreError(statement.errorText());
        }
    }

    QSqlDatabase& database() { return m_db; }

private:
    QSqlDatabase& m_db;
    QHash<QString, Stored> m_byName;
    QHash<QString, std::shared_ptr<BulkInsert>> m_updates;
};

qint64 raw(Currency value)
{
    return value.raw();
}

/// The edits of one report row to one employee, saved together or not at all.
struct PendingEdit
{
    qsizetype employee = -1; ///< -1 while the row names no listed employee
    EmployeeWages added;

    void save(std::vector<EmployeeWages>& saved)
    {
        if (employee < 0) {
            return;
        }
        EmployeeWages& totals = saved[size_t(employee)];
        for (int m = 0; m < 3; ++m) {
            totals.month[m] = totals.month[m] || added.month[m];
        }
        totals.gross = sum(totals.gross, added.gross);
        totals.taxable = sum(totals.taxable, added.taxable);
        totals.swhWages = sum(totals.swhWages, added.swhWages);
        totals.swhAmount = sum(totals.swhAmount, added.swhAmount);
        *this = PendingEdit();
    }
};

/// The listed employees found by name, case-folded as the stored ones are, so that a report's "Renée Dupré"
/// finds "RENÉE DUPRÉ". The first of two employees of one name is the one found.
class ListedNames
{
public:
    explicit ListedNames(const QStringList& names)
    {
        m_positions.reserve(names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString folded = caseFolded(names[i]);
            if (!m_positions.contains(folded)) {
                m_positions.insert(folded, i);
            }
        }
    }

    qsizetype find(const QString& name) const { return m_positions.value(caseFolded(name.trimmed()), -1); }

private:
    QHash<QString, qsizetype> m_positions;
};

bool failedStatus(Session& session, Dialogs& dialogs, const QbResponse* report)
{
    if (report == nullptr || report->status.code != 0) {
        session.DataError = true;
        dialogs.message(report == nullptr ? QStringLiteral("QuickBooks sent no report.") : report->status.message,
                        kApplicationTitle);
        return true;
    }
    return false;
}

/// The user cancelled the load: nothing of it stays.
struct LoadCancelled
{
};

void walkSutaRows(Session& session, const QbReport& report, const ListedNames& names, std::vector<EmployeeWages>& saved,
                  ProgressScope& progress)
{
    const StateItem state = stateAt(session.StatePosition).item();
    const bool quest = state == StateItem::MassachusettsQuest;
    const bool pfml = state == StateItem::MassachusettsPFML;
    const QString suiItem = session.SUIItemName.toUpper();
    const QString swhItem = session.SWHItemName.toUpper();
    const int quarter = quarterNumber(session);

    // A report lists each employee's rows together and names few items: each name and item is looked up once
    // for a run of equal cells.
    QByteArrayView lastName;
    qsizetype lastEmployee = -1;
    QByteArrayView lastItem;
    bool lastItemIsSui = false; ///< the upper-case item is the SUI item's name
    bool lastItemIsSwh = false;
    for (const QbReportRow& row : report.rows) {
        if (!progress.step()) {
            throw LoadCancelled{};
        }
        if (row.kind != QbRowKind::Data) {
            continue;
        }
        PendingEdit edit;
        bool skip = false;
        bool inQuarter = false;
        // Whether the row's item, once read, is the SUI or the SWH item.
        bool isSui = false;
        bool isSwh = false;
        for (const QbReportCell& cell : report.cellsOf(row)) {
            const QByteArrayView text = report.valueOf(cell);
            switch (cell.colId) {
            case 2:
                edit = PendingEdit();
                if (lastName.data() == nullptr || text != lastName) {
                    lastEmployee = names.find(QString::fromUtf8(text));
                    lastName = text;
                }
                edit.employee = lastEmployee;
                skip = edit.employee < 0;
                isSui = false;
                isSwh = false;
                break;
            case 3:
                if (edit.employee >= 0 && !skip) {
                    const QDate date = reportDate(text);
                    const int m = date.month() - 3 * (quarter - 1);
                    edit.added.month[m == 1 ? 0 : m == 2 ? 1 : 2] = true;
                    inQuarter = (date.month() - 1) / 3 + 1 == quarter;
                }
                break;
            case 4:
                if (lastItem.data() == nullptr || text != lastItem) {
                    const QString item = upperCased(QString::fromUtf8(text));
                    lastItem = text;
                    lastItemIsSui = item == suiItem;
                    lastItemIsSwh = item == swhItem;
                }
                if (quest) {
                    if ((!lastItemIsSui && !lastItemIsSwh) || (lastItemIsSui && session.CalcTaxable)) {
                        skip = true;
                    }
                } else if (!lastItemIsSui) {
                    skip = true;
                }
                isSui = !text.isEmpty() && lastItemIsSui;
                isSwh = !text.isEmpty() && lastItemIsSwh;
                break;
            case 5:
                if (isSui && !skip) {
                    const Currency value = amountOf(text);
                    edit.added.gross = sum(edit.added.gross, value);
                    session.TotalWages = sum(session.TotalWages, value);
                    if (pfml && inQuarter) {
                        edit.added.taxable = sum(edit.added.taxable, value);
                    }
                }
                break;
            case 6:
                if (isSui && !skip && !pfml) {
                    const Currency value = amountOf(text);
                    edit.added.taxable = sum(edit.added.taxable, value);
                    session.TaxableTotal = sum(session.TaxableTotal, value);
                    edit.save(saved);
                } else if (isSwh && !skip) {
                    const Currency value = amountOf(text);
                    edit.added.swhWages = sum(edit.added.swhWages, value);
                    session.SWHWagesTotal = sum(session.SWHWagesTotal, value);
                }
                break;
            case 7:
                if (isSui && !skip) {
                    const Currency value = amountOf(text);
                    if (value > Currency()) {
                        session.Rate = value;
                    }
                }
                break;
            case 8:
                if (isSwh && !skip) {
                    // Withheld amounts come negative, as on the paycheck. The total follows the rows, so that
                    // the totals window shows what the file carries.
                    const Currency withheld = Currency().minus(amountOf(text)).value_or(Currency());
                    edit.added.swhAmount = sum(edit.added.swhAmount, withheld);
                    session.SWHAmountTotal = sum(session.SWHAmountTotal, withheld);
                    edit.save(saved);
                } else if (pfml) {
                    edit.save(saved);
                }
                break;
            default:
                break;
            }
        }
    }
}

/// The employee names of a summary report by the column of their amount: every column but the last three whose
/// id is 4, 7, 10, … carries one in its first title. A title ending in four digits ends in the employee's number,
/// which is dropped with the blank and brackets before it.
QHash<int, QString> employeeColumns(const QbReport& report)
{
    QHash<int, QString> names;
    for (qsizetype i = 0; i + 3 < report.columns.size(); ++i) {
        const QbReportColumn& column = report.columns[i];
        if (column.colId < 4 || (column.colId - 4) % 3 != 0 || column.titles.isEmpty()) {
            continue;
        }
        QString name = column.titles.first();
        if (isNumeric(name.right(4))) {
            name.chop(11);
        }
        names.insert(column.colId, name);
    }
    return names;
}

/// Calls `take(name, amount, hours)` for each employee of the report's "Total Gross Pay" rows.
template <typename Take>
void walkGrossPay(const QbReport& report, Take take)
{
    const QHash<int, QString> names = employeeColumns(report);
    for (const QbReportRow& row : report.rows) {
        if (row.kind != QbRowKind::Subtotal) {
            continue;
        }
        const std::span<const QbReportCell> cells = report.cellsOf(row);
        const auto label =
            std::find_if(cells.begin(), cells.end(), [](const QbReportCell& cell) { return cell.colId == 1; });
        if (label == cells.end() || report.valueOf(*label) != QByteArrayView("Total Gross Pay")) {
            continue;
        }
        QHash<int, QString> values;
        for (const QbReportCell& cell : cells) {
            values.insert(cell.colId, report.textOf(cell));
        }
        for (auto it = names.begin(); it != names.end(); ++it) {
            if (!values.contains(it.key())) {
                continue;
            }
            const QString hours = values.value(it.key() - 2);
            take(it.value(), amountOf(values.value(it.key())), hours.isEmpty() ? Currency() : amountOf(hours));
        }
    }
}

/// Runs a summary loader's walk in one transaction. A failure ends the walk with the loader's message; the rows
/// saved before it stay. Returns whether the walk ended normally.
template <typename Body>
bool runSummaryLoader(Session& session, Dialogs& dialogs, const char* loader, Body body)
{
    bool failed = false;
    try {
        EmployeeRows rows(session);
        Transaction transaction(rows.database());
        try {
            body(rows);
        } catch (const LoaderError&) {
            failed = true;
        } catch (const StoreError&) {
            failed = true;
        }
        transaction.commit();
    } catch (const StoreError&) {
        failed = true;
    }
    if (failed) {
        dialogs.message(QStringLiteral("Unexpected Error has occured in %1. Try Again.").arg(QLatin1String(loader)),
                        QStringLiteral("Error"), MessageIcon::Critical);
    }
    return !failed;
}

void summaryRateRule(Session& session)
{
    if (!(stateAt(session.StatePosition).item() == StateItem::MassachusettsQuest && !session.CalcTaxable)) {
        session.Rate = Currency();
    }
}

} // namespace

std::vector<EmployeeWages> LoadSUTAData(Session& session, Dialogs& dialogs, const QbResponse* report,
                                        const QStringList& employeeNames)
{
    session.Rate = Currency();
    session.TotalWages = Currency();
    session.TaxableTotal = Currency();
    session.SWHWagesTotal = Currency();
    session.SWHAmountTotal = Currency();
    if (failedStatus(session, dialogs, report)) {
        return {};
    }
    std::vector<EmployeeWages> wages(size_t(employeeNames.size()));
    try {
        if (report->report) {
            ProgressScope progress(dialogs, QStringLiteral("Reading the wages..."), report->report->rows.size());
            walkSutaRows(session, *report->report, ListedNames(employeeNames), wages, progress);
        }
    } catch (const LoadCancelled&) {
        session.DataError = true;
        dialogs.message(kLoadCancelled, kApplicationTitle);
        return {};
    } catch (const LoaderError&) {
        session.DataError = true;
    }
    if (session.DataError) {
        dialogs.message(QStringLiteral("Unexpected Error has occured in LoadSUTAData. Try Again."),
                        QStringLiteral("Error"), MessageIcon::Critical);
        return {};
    }
    // From the third quarter of 2018 on, Kentucky's rate includes the service capacity upgrade fund share.
    if (stateAt(session.StatePosition).item() == StateItem::Kentucky &&
        ((session.TaxYear == 2018 && session.Quarter > QLatin1String("2")) || session.TaxYear > 2018)) {
        session.ModifiedRate = session.Rate.minus(Currency::fromRaw(750)).value_or(session.Rate);
    }
    return wages;
}

void LoadPayrollSummary(Session& session, Dialogs& dialogs, const QbResponse* report)
{
    session.TotalWages = Currency();
    session.TaxableTotal = Currency();
    summaryRateRule(session);
    if (failedStatus(session, dialogs, report)) {
        return;
    }
    const bool keepsGross =
        !(stateAt(session.StatePosition).item() == StateItem::MassachusettsQuest && !session.CalcTaxable);
    const bool limitsTaxable = session.Quarter == QLatin1String("1") && session.CalcTaxable;
    const bool done = runSummaryLoader(session, dialogs, "LoadPayrollSummary", [&](EmployeeRows& rows) {
        walkGrossPay(report->report.value_or(QbReport()), [&](const QString& name, Currency amount, Currency hours) {
            const auto stored = rows.find(name);
            if (!stored) {
                return;
            }
            QString assignments = QStringLiteral("[TotalHours] = ?");
            QList<qint64> values{raw(hours)};
            if (keepsGross) {
                assignments += QStringLiteral(", [GrossWages] = ?, [Month1] = 1, [Month2] = 1, [Month3] = 1");
                values << raw(amount);
                if (limitsTaxable) {
                    assignments += QStringLiteral(", [TaxableWages] = ?");
                    values << raw(amount > session.WageLimit ? session.WageLimit : amount);
                }
            }
            rows.update(stored->rowId, assignments, values);
        });
    });
    if (done) {
        try {
            session.Store.runStoredQuery(schema::kDeleteZeros);
        } catch (const StoreError&) {
        }
    }
    summaryRateRule(session);
}

void LoadYTD(Session& session, Dialogs& dialogs, const QbResponse* report)
{
    session.Rate = Currency();
    session.TotalWages = Currency();
    session.TaxableTotal = Currency();
    if (failedStatus(session, dialogs, report)) {
        return;
    }
    const Currency limit = session.WageLimit;
    runSummaryLoader(session, dialogs, "LoadYTD", [&](EmployeeRows& rows) {
        walkGrossPay(report->report.value_or(QbReport()), [&](const QString& name, Currency yearToDate, Currency) {
            const auto stored = rows.find(name);
            if (!stored) {
                return;
            }
            const Currency gross = stored->gross;
            // The wages paid before the quarter use up the limit first.
            const Currency before = yearToDate.minus(gross).value_or(Currency());
            Currency taxable;
            if (!(limit > Currency())) {
                taxable = gross;
            } else if (before > limit) {
                taxable = Currency();
            } else if (!(yearToDate > limit)) {
                taxable = gross;
            } else {
                taxable = limit.minus(before).value_or(Currency());
            }
            rows.update(stored->rowId, QStringLiteral("[TaxableWages] = ?"), {raw(taxable)});
        });
    });
    session.Rate = Currency();
}

} // namespace wagetrove
