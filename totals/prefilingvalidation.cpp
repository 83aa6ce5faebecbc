#include "totals/prefilingvalidation.h"

#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/currency.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>

namespace wagetrove {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");

/// The fields of the first row of a table; empty texts when the table is empty or cannot be read, so that a
/// missing row gives the findings of its empty fields.
QStringList firstRow(QSqlDatabase& db, const QString& table, const QStringList& fields)
{
    QStringList values(fields.size());
    QSqlQuery query(db);
    QStringList columns;
    for (const QString& field : fields) {
        columns << QLatin1Char('[') + field + QLatin1Char(']');
    }
    if (query.exec(QStringLiteral("SELECT %1 FROM [%2] ORDER BY rowid LIMIT 1")
                       .arg(columns.join(QStringLiteral(", ")), table)) &&
        query.next()) {
        for (qsizetype field = 0; field < fields.size(); ++field) {
            values[field] = query.value(int(field)).toString();
        }
    }
    return values;
}

struct Submitter
{
    QString Name, Address, City, State, Zip, Contact, Phone, EIN, EMail;
};

Submitter readSubmitter(QSqlDatabase& db)
{
    const QStringList row = firstRow(db, QStringLiteral("Submitter"),
                                     {QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("City"),
                                      QStringLiteral("State"), QStringLiteral("Zip"), QStringLiteral("Contact"),
                                      QStringLiteral("Phone"), QStringLiteral("EIN"), QStringLiteral("Email")});
    return {row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8]};
}

struct Employer
{
    QString EIN, Name, Address, City, State, Zip;
};

Employer readEmployer(QSqlDatabase& db)
{
    const QStringList row = firstRow(db, QStringLiteral("Employer"),
                                     {QStringLiteral("EIN"), QStringLiteral("Name"), QStringLiteral("Address"),
                                      QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("Zip")});
    return {row[0], row[1], row[2], row[3], row[4], row[5]};
}

/// The finding for the State ID box, or nothing when the state's rule holds or the state has none.
std::optional<QString> stateIdFinding(StateItem item, const QString& stateId)
{
    const auto utId = [](const QString& rule) {
        return QStringLiteral("- State UT ID invalid. Must be %1. Click the View Totals button and check the State ID "
                              "Field.")
            .arg(rule);
    };
    const auto uiAccount = [](int digits) {
        return QStringLiteral(
                   "- State UI Account Number not valid. Must be %1 digits. Click the View Totals Button and "
                   "change the number.")
            .arg(digits);
    };
    const auto lengthRule = [&](qsizetype length, const QString& finding) -> std::optional<QString> {
        return stateId.size() == length ? std::nullopt : std::optional<QString>(finding);
    };
    switch (item) {
    case StateItem::Texas:
        return lengthRule(11, utId(QStringLiteral("in xx-xxxxxx-x format")));
    case StateItem::Florida:
        return lengthRule(7, utId(QStringLiteral("7 digits")));
    case StateItem::Connecticut:
        return lengthRule(10, utId(QStringLiteral("10 characteers")));
    case StateItem::SouthCarolina:
        return lengthRule(6, utId(QStringLiteral("6 digits")));
    case StateItem::MassachusettsQuest:
        return lengthRule(8, uiAccount(8));
    case StateItem::NorthCarolina:
        return lengthRule(7, uiAccount(7));
    case StateItem::Mississippi:
        return lengthRule(10, uiAccount(10));
    case StateItem::Kentucky:
        if (isKentuckyAccountNumber(stateId)) {
            return std::nullopt;
        }
        return QStringLiteral("- State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character "
                              "suffix. Click the View Totals button and check the State ID Field.");
    default:
        return std::nullopt;
    }
}

void fillTransmitterBoxes(Session& session, const Submitter& submitter, const Employer& employer)
{
    TransmitterWindowBoxes& boxes = session.frmTXMag;
    boxes.Text6 = submitter.Name;
    boxes.Text7 = submitter.Address;
    boxes.Text8 = submitter.City;
    boxes.Text11 = submitter.State;
    boxes.Text12 = submitter.Zip;
    boxes.Text9 = submitter.Contact;
    boxes.Text14 = submitter.Phone;
    boxes.Text10 = submitter.EMail;
    boxes.Text13 = session.UseEmployer ? employer.EIN : submitter.EIN;
    if (session.StandAlone) {
        boxes.Text1 = submitter.Name;
        boxes.Text2 = submitter.Address;
        boxes.Text3 = submitter.City;
        boxes.Text4 = submitter.State;
        boxes.Text5 = submitter.Zip;
    } else {
        boxes.Text1 = employer.Name;
        boxes.Text2 = employer.Address;
        boxes.Text3 = employer.City;
        boxes.Text4 = employer.State;
        boxes.Text5 = employer.Zip;
    }
}

struct EmployeeFlags
{
    bool invalidSS = false;
    bool zeroHours = false;
};

EmployeeFlags checkEmployees(QSqlDatabase& db, bool hoursRequired)
{
    EmployeeFlags flags;
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    // A missing hours value is filed as zero hours, so it counts as zero here.
    if (!rows.exec(QStringLiteral("SELECT [SS], COALESCE([TotalHours], 0) = 0 FROM [Employee]"))) {
        return flags;
    }
    while (rows.next()) {
        if (!isDigits(rows.value(0).toString(), 9)) {
            flags.invalidSS = true;
        }
        if (hoursRequired && rows.value(1).toBool()) {
            flags.zeroHours = true;
        }
    }
    return flags;
}

/// Asks for the hours of the salaried employees until the answer is a usable figure. Nothing when the user
/// cancels, gives no answer, or gives zero: a zero would file the very zero hours the question is about.
std::optional<Currency> askTotalHours(Dialogs& dialogs)
{
    for (;;) {
        const std::optional<QString> typed = dialogs.input(
            QStringLiteral(
                "Program found employees with zero hours. Please enter the total hours to use for all salaried "
                "employees"),
            QStringLiteral("Enter Total Hours"), QStringLiteral(" "));
        const QString answer = typed.value_or(QString()).trimmed().toUpper();
        if (answer.isEmpty()) {
            return std::nullopt;
        }
        if (!isNumeric(answer)) {
            continue;
        }
        const std::optional<Currency> hours = Currency::fromNumericText(answer);
        if (hours && hours->isZero()) {
            return std::nullopt;
        }
        // Negative hours and figures beyond any field cannot be filed; the question is asked again.
        if (hours && !hours->isNegative()) {
            return hours;
        }
    }
}

/// Writes the hours into every Employee row without hours, all rows or none.
bool fillZeroHours(QSqlDatabase& db, Currency hours)
{
    try {
        Transaction transaction(db);
        exec(db, QStringLiteral("UPDATE [Employee] SET [TotalHours] = ? WHERE COALESCE([TotalHours], 0) = 0"),
             {QVariant::fromValue<qint64>(hours.raw())});
        transaction.commit();
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

} // namespace

bool isDashedEin(const QString& text)
{
    return text.size() == 10 && text[2] == QLatin1Char('-') && isDigits(text.first(2), 2) &&
           isDigits(text.sliced(3), 7);
}

bool isDigits(const QString& text, qsizetype length)
{
    if (text.size() != length) {
        return false;
    }
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

bool isKentuckyAccountNumber(const QString& text)
{
    const qsizetype length = text.size();
    if (length == 6 || length == 8) {
        return isDigits(text, length);
    }
    if (length == 7 || length == 9) {
        const QChar suffix = text.back();
        return isDigits(text.first(length - 1), length - 1) && suffix >= QLatin1Char('A') && suffix <= QLatin1Char('Z');
    }
    return false;
}

QString PreFilingValidation(Session& session, Dialogs& dialogs)
{
    session.ChecksPassed = false;
    try {
        session.Store.open(session.DataFolder + WageStore::kFileName);
    } catch (const StoreError& error) {
        const QString problem = error.message() + kLineBreak + kLineBreak +
                                QStringLiteral("The data could not be checked. No file was created.");
        dialogs.message(problem, kApplicationTitle, MessageIcon::Critical);
        return problem;
    }
    QSqlDatabase& db = session.Store.database();
    const StateItem item = stateAt(session.StatePosition).item();

    QString findings;
    const auto add = [&findings](const QString& finding) { findings += kLineBreak + finding; };

    if (!isDashedEin(session.Form3.Text8)) {
        findings = session.StandAlone
                       ? QStringLiteral("- Company EIN Invalid. Click the View Totals button and verify ein is in "
                                        "XX-XXXXXXX format")
                       : QStringLiteral("- Company EIN Invalid. Edit the company information and make sure the EIN "
                                        "field is in XX-XXXXXXX format");
    }

    if (const auto finding = stateIdFinding(item, session.Form3.Text9)) {
        add(*finding);
    }

    const Submitter submitter = readSubmitter(db);
    if (!isDashedEin(submitter.EIN)) {
        add(QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
    }

    if (item != StateItem::MassachusettsQuest) {
        const std::pair<const QString&, QString> required[] = {
            {submitter.Name, QStringLiteral("- Submitter Company Name Required")},
            {submitter.Address, QStringLiteral("- Submitter Company Address Required")},
            {submitter.City, QStringLiteral("- Submitter Company City Required")},
            {submitter.State, QStringLiteral("- Submitter Company State Required")},
            {submitter.Zip, QStringLiteral("- Submitter Company Zip Required")},
            {submitter.Contact, QStringLiteral("- Submitter Contact Name Required")},
            {submitter.Phone, QStringLiteral("- Submitter Contact Phone Number Required")},
        };
        for (const auto& [value, finding] : required) {
            if (value.isEmpty()) {
                add(finding);
            }
        }
        if (session.UseSUIItem && session.Rate.isZero()) {
            add(QStringLiteral("- Invalid SUI Rate. Click the View Totals button and enter a valid SUI Rate"));
        }
        fillTransmitterBoxes(session, submitter, readEmployer(db));
    }

    const bool hoursRequired =
        (item == StateItem::MassachusettsQuest || item == StateItem::Washington) && !session.AllowZeroHours;
    EmployeeFlags flags = checkEmployees(db, hoursRequired);
    if (flags.zeroHours) {
        if (const auto hours = askTotalHours(dialogs); hours && fillZeroHours(db, *hours)) {
            flags.zeroHours = false;
        }
    }
    if (flags.invalidSS || flags.zeroHours) {
        add(item == StateItem::MassachusettsQuest
                ? QStringLiteral("- At least one employee has invalid Social Security Number or zero hours. Click the "
                                 "Edit/Change Button and make the change.")
                : QStringLiteral("- At least one employee has invalid Social Security Number. If SS not known, use "
                                 "all zeros"));
    }

    if (findings.isEmpty()) {
        session.ChecksPassed = true;
    } else {
        dialogs.message(findings, kApplicationTitle, MessageIcon::None, MessageButtons::Ok);
    }
    return findings;
}

} // namespace wagetrove
