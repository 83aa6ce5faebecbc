#include "acquire/wagespreadsheet.h"

#include "app/session.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "common/xlsxreader.h"
#include "store/backgroundinsert.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <algorithm>
#include <optional>

namespace wagetrove {
namespace {

const QString kFailurePrefix = QStringLiteral("Create Wages From File ");

/// Ends the import; `message` is shown as it stands.
struct ImportStop
{
    QString message;
};

[[noreturn]] void fail(const QString& description)
{
    throw ImportStop{kFailurePrefix + description};
}

QString cellName(int column, int row)
{
    return QString(QChar(u'A' + column - 1)) + QString::number(row);
}

/// The cell's text, trimmed. A formula without a saved result has no value to take.
QString cellText(const XlsxRow& row, int rowNumber, int column)
{
    if (row[static_cast<std::size_t>(column - 1)].uncachedFormula) {
        fail(QStringLiteral("Cell %1 holds a formula whose result was never saved. Open the workbook in a "
                            "spreadsheet program, save it and try again.")
                 .arg(cellName(column, rowNumber)));
    }
    return row[static_cast<std::size_t>(column - 1)].text.trimmed();
}

Currency moneyCell(const XlsxRow& row, int rowNumber, int column)
{
    const QString text = cellText(row, rowNumber, column);
    if (auto value = Currency::fromAnyText(text)) {
        return *value;
    }
    fail(QStringLiteral("Type mismatch: cell %1 should hold an amount but holds \"%2\".")
             .arg(cellName(column, rowNumber), text));
}

/// "True" or "False" in any case, or a number (non-zero is true).
bool truthCell(const XlsxRow& row, int rowNumber, int column)
{
    const QString text = cellText(row, rowNumber, column);
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (isNumeric(text)) {
        return numericValueOf(text) != 0.0;
    }
    fail(QStringLiteral("Type mismatch: cell %1 should hold True or False but holds \"%2\".")
             .arg(cellName(column, rowNumber), text));
}

bool headersMatch(const XlsxRow& row, const QStringList& headers)
{
    for (int column = 1; column <= headers.size(); ++column) {
        if (row[static_cast<std::size_t>(column - 1)].uncachedFormula ||
            row[static_cast<std::size_t>(column - 1)].text.trimmed() != headers[column - 1]) {
            return false;
        }
    }
    return true;
}

/// The month that ends each quarter, as the quarter-ending texts begin.
QString quarterEndMonth(const QString& quarter)
{
    static const QStringList months = {QStringLiteral("03"), QStringLiteral("06"), QStringLiteral("09"),
                                       QStringLiteral("12")};
    const int index = quarter.toInt() - 1;
    return index >= 0 && index < 4 ? months[index] : QString();
}

/// What the import changes in the session, applied only once the store has taken every row.
struct ImportedValues
{
    std::optional<Currency> rate;
    bool employerRead = false;
    QStringList employer; // EIN, Name, Address, City, State, Zip, SutaRate, StateID
};

class WagesImport
{
public:
    WagesImport(Session& session, Dialogs& dialogs, XlsxReader& workbook)
        : m_session(session), m_workbook(workbook), m_progress(dialogs, QStringLiteral("Reading the wages..."))
    {}

    ImportedValues run()
    {
        // The rows are stored on a thread of their own while the next ones are read.
        BackgroundInsert insert(m_session.Store.database(),
                                QStringLiteral("INSERT INTO [Employee] ([StateCode], [UnitCode], [SS], [FirstName], "
                                               "[MiddleName], [LastName], [Name], [GrossWages], [TaxableWages], "
                                               "[QuarterEnding], [Month1], [Month2], [Month3]) "
                                               "VALUES ('  ', ' ', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        if (!insert.valid()) {
            fail(QStringLiteral("The wage store cannot take wages: %1").arg(insert.errorText()));
        }
        m_insert = &insert;
        try {
            readSheet(1, 12, [this](int rowNumber, const XlsxRow& row) { wagesRow(rowNumber, row); });
        } catch (const ImportStop&) {
            // A row the store refused comes before the row that stopped the reading, so its failure stands.
            failIfRefused();
            throw;
        }
        failIfRefused();
        m_insert = nullptr;
        if (!m_headerSeen) {
            throw ImportStop{QStringLiteral("Invalid Format of Wages Spreadsheet")};
        }
        if (m_session.StandAlonenoqb) {
            readEmployer();
        }
        return m_values;
    }

private:
    template <typename OnRow>
    void readSheet(int position, int columns, OnRow onRow, int lastRow = 0)
    {
        std::optional<ImportStop> stop;
        const auto error = m_workbook.readRows(position, columns, [&](int rowNumber, const XlsxRow& row) {
            try {
                onRow(rowNumber, row);
            } catch (const ImportStop& thrown) {
                stop = thrown;
                return false;
            }
            return lastRow == 0 || rowNumber < lastRow;
        });
        if (stop) {
            throw *stop;
        }
        if (error) {
            fail(*error);
        }
    }

    void wagesRow(int rowNumber, const XlsxRow& row)
    {
        // Cancelling stops the import like any other stop: nothing of it stays in the store.
        if (!m_progress.step()) {
            throw ImportStop{kFailurePrefix + QStringLiteral("Cancel was selected.")};
        }
        if (rowNumber == 1) {
            if (!headersMatch(row, wagesSheetHeaders())) {
                throw ImportStop{QStringLiteral("Invalid Format of Wages Spreadsheet")};
            }
            m_headerSeen = true;
            return;
        }
        // Spreadsheet programs count formatted empty cells in the used range, so a sheet often ends in rows
        // without a value. Those are not wage rows; an empty row with wage rows after it is read as any row is,
        // and stops the import with its first empty amount.
        if (isEmptyRow(row)) {
            if (!m_firstEmptyRow) {
                m_firstEmptyRow = std::make_pair(rowNumber, row);
            }
            return;
        }
        if (m_firstEmptyRow) {
            const auto [emptyNumber, emptyRow] = *m_firstEmptyRow;
            m_firstEmptyRow.reset();
            wageRow(emptyNumber, emptyRow);
        }
        wageRow(rowNumber, row);
    }

    static bool isEmptyRow(const XlsxRow& row)
    {
        return std::all_of(row.begin(), row.end(),
                           [](const XlsxCell& cell) { return !cell.uncachedFormula && cell.text.isEmpty(); });
    }

    /// Waits for the rows handed to the store, and stops with the first one it refused.
    void failIfRefused()
    {
        if (const std::optional<BackgroundInsert::Failure> refused = m_insert->finish()) {
            fail(QStringLiteral("The wage store could not take row %1: %2").arg(refused->tag).arg(refused->reason));
        }
    }

    void wageRow(int rowNumber, const XlsxRow& row)
    {
        if (m_insert->failed()) {
            failIfRefused();
        }
        if (rowNumber == 2) {
            checkFirstRow(row);
        }
        const QString firstName = cellText(row, rowNumber, 4);
        QString middleName = cellText(row, rowNumber, 5);
        if (middleName.isEmpty()) {
            middleName = QStringLiteral(" ");
        }
        const QString lastName = cellText(row, rowNumber, 6);
        const QString quarterEnding = cellText(row, rowNumber, 7);
        const Currency gross = moneyCell(row, rowNumber, 8);
        const Currency taxable = moneyCell(row, rowNumber, 9);
        const bool months[] = {truthCell(row, rowNumber, 10), truthCell(row, rowNumber, 11),
                               truthCell(row, rowNumber, 12)};

        BackgroundInsert& insert = *m_insert;
        insert.bind(1, cellText(row, rowNumber, 3));
        insert.bind(2, firstName);
        insert.bind(3, middleName);
        insert.bind(4, lastName);
        insert.bind(5, firstName + QLatin1Char(' ') + middleName + QLatin1Char(' ') + lastName);
        insert.bind(6, gross.raw());
        insert.bind(7, taxable.raw());
        insert.bind(8, quarterEnding);
        for (int month = 0; month < 3; ++month) {
            insert.bind(9 + month, qint64(months[month] ? 1 : 0));
        }
        insert.add(rowNumber);
    }

    /// Row 2 carries the rate and is checked against the company and the period chosen.
    void checkFirstRow(const XlsxRow& row)
    {
        m_values.rate = moneyCell(row, 2, 2);
        if (m_session.StandAlone && cellText(row, 2, 1) != m_session.FedID) {
            throw ImportStop{QStringLiteral("EIN in file doesn't match EIN in QB")};
        }
        const QString quarterEnding = cellText(row, 2, 7);
        const bool yearMatches = numericValueOf(quarterEnding.right(4)) == m_session.TaxYear;
        const bool monthMatches = quarterEnding.left(2) == quarterEndMonth(m_session.Quarter);
        if (!yearMatches || !monthMatches) {
            throw ImportStop{QStringLiteral("Quarter ending period on file doesn't match period you selected.")};
        }
    }

    void readEmployer()
    {
        if (m_workbook.sheetCount() < 2) {
            fail(QStringLiteral("The workbook has no second sheet with the employer information."));
        }
        bool headerSeen = false;
        readSheet(
            2, 8,
            [&](int rowNumber, const XlsxRow& row) {
                if (rowNumber == 1) {
                    if (!headersMatch(row, employerSheetHeaders())) {
                        throw ImportStop{QStringLiteral("Invalid Format of Employer Info Spreadsheet")};
                    }
                    headerSeen = true;
                    return;
                }
                for (int column = 1; column <= 8; ++column) {
                    m_values.employer << cellText(row, rowNumber, column);
                }
            },
            2);
        if (!headerSeen) {
            throw ImportStop{QStringLiteral("Invalid Format of Employer Info Spreadsheet")};
        }
        while (m_values.employer.size() < 8) {
            m_values.employer << QString();
        }
        QVariantList values{1};
        for (const QString& value : m_values.employer) {
            values << value;
        }
        try {
            exec(
                m_session.Store.database(),
                QStringLiteral("INSERT INTO [Employer] ([CompanyID], [EIN], [Name], [Address], [City], [State], [Zip], "
                               "[SutaRate], [StateID]) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                values);
        } catch (const StoreError& error) {
            fail(error.message());
        }
        m_values.employerRead = true;
    }

    Session& m_session;
    XlsxReader& m_workbook;
    ProgressScope m_progress;
    BackgroundInsert* m_insert = nullptr;
    bool m_headerSeen = false;
    std::optional<std::pair<int, XlsxRow>> m_firstEmptyRow;
    ImportedValues m_values;
};

void apply(Session& session, const ImportedValues& values)
{
    if (values.rate) {
        session.Rate = *values.rate;
    }
    if (!values.employerRead) {
        return;
    }
    const QStringList& e = values.employer;
    session.Form3.Text8 = e[0];
    session.Form3.Text9 = e[7];
    session.frmTXMag.Text1 = e[1];
    session.frmTXMag.Text2 = e[2];
    session.frmTXMag.Text3 = e[3];
    session.frmTXMag.Text4 = e[4];
    session.frmTXMag.Text5 = e[5];
    session.EmployerAddress = e[1] + QStringLiteral("\r\n") + e[2] + QStringLiteral("\r\n") + e[3] + QLatin1Char(' ') +
                              e[4] + QStringLiteral("  ") + e[5];
}

} // namespace

QStringList wagesSheetHeaders()
{
    return {QStringLiteral("EIN"),           QStringLiteral("SUI Rate"),   QStringLiteral("SS"),
            QStringLiteral("FirstName"),     QStringLiteral("MiddleName"), QStringLiteral("LastName"),
            QStringLiteral("QuarterEnding"), QStringLiteral("GrossWages"), QStringLiteral("TaxableWages"),
            QStringLiteral("Month1"),        QStringLiteral("Month2"),     QStringLiteral("Month3")};
}

QStringList employerSheetHeaders()
{
    return {QStringLiteral("EIN"),   QStringLiteral("Name"), QStringLiteral("Address"),  QStringLiteral("City"),
            QStringLiteral("State"), QStringLiteral("Zip"),  QStringLiteral("SutaRate"), QStringLiteral("StateID")};
}

void ImportWageSpreadsheet(Session& session, Dialogs& dialogs)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Choose Quarterly Wages Spreadsheet");
    request.proposedName = session.DataFolder;
    request.filter = QStringLiteral("Excel Workbook (*.xlsx)");
    request.promptOverwrite = false;
    const auto path = dialogs.openFile(request);
    if (!path) {
        session.DataError = true;
        dialogs.message(kFailurePrefix + QStringLiteral("Cancel was selected."), kApplicationTitle);
        return;
    }
    ImportWageSpreadsheetFile(session, dialogs, *path);
}

void ImportWageSpreadsheetFile(Session& session, Dialogs& dialogs, const QString& path)
{
    std::optional<QString> failure;
    {
        const BusyScope busy(dialogs);
        XlsxReader workbook(path);
        if (const auto error = workbook.open()) {
            failure = kFailurePrefix + *error;
        } else {
            QSqlDatabase& db = session.Store.database();
            try {
                Transaction transaction(db);
                schema::dropEmployeeNameIndexes(db);
                const ImportedValues values = WagesImport(session, dialogs, workbook).run();
                schema::createEmployeeNameIndexes(db);
                transaction.commit();
                apply(session, values);
            } catch (const ImportStop& stop) {
                failure = stop.message;
            } catch (const StoreError& error) {
                failure = kFailurePrefix + error.message();
            }
        }
    }
    if (failure) {
        session.DataError = true;
        dialogs.message(*failure, kApplicationTitle);
    }
}

} // namespace wagetrove
