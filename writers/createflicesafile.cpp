#include "writers/createflicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

#include <QRegularExpression>

#include <optional>

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& florida()
{
    static const StateFileContext context(kCreateFLICESAFileError, QStringLiteral("The Florida UCT-6 file"));
    return context;
}

// The state's upload rejects commas and periods in the employer name.
QString employerName(const QString& name)
{
    QString plain = plainAscii(name);
    plain.replace(QLatin1Char(','), QLatin1Char(' '));
    plain.replace(QLatin1Char('.'), QLatin1Char(' '));
    return plain;
}

// A ZIP+4 typed with its hyphen would not fit the nine characters whole: its nine digits are written instead.
QString employerZip(const QString& zip)
{
    static const QRegularExpression zipPlusFour(QStringLiteral("^(\\d{5})-(\\d{4})$"));
    const QRegularExpressionMatch match = zipPlusFour.match(zip.trimmed());
    return match.hasMatch() ? match.captured(1) + match.captured(2) : zip;
}

// Ten characters as typed are taken for the bare digits; anything else is read as NNN-NNN-NNNN.
QString contactPhone(const QString& phone)
{
    const QString trimmed = phone.trimmed();
    return trimmed.size() == 10 ? trimmed : trimmed.mid(0, 3) + trimmed.mid(4, 3) + trimmed.right(4);
}

FieldValue quarterCode(const QString& quarter)
{
    return FieldValue::exact(FieldText::written(QLatin1Char('0') + quarter));
}

FieldValue taxDue(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        return Amount(Currency(), 9);
    }
    if (const std::optional<Currency> amount = Currency::fromText(text)) {
        return Amount(*amount, 9);
    }
    return FieldValue::exact(FieldText::failure(QStringLiteral("The tax due \"%1\" is not an amount.").arg(text)));
}

FixedRecord record00(const Session& session)
{
    return FixedRecord(18, LineEnd::CRLF,
                       {
                           {1, 2, Fixed("00")},
                           {3, 9, EIN9(session.frmTXMag.Text13)},
                           {12, 7, Text(session.Form3.Text9.trimmed())},
                       });
}

FixedRecord record01(const Session& session)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    const FieldValue due = taxDue(session.Form3.Text7);
    return FixedRecord(
        304, LineEnd::CRLF,
        {
            {1, 2, Fixed("01")},
            {3, 9, EIN9(session.Form3.Text8)},
            {12, 7, Text(session.Form3.Text9.trimmed())},
            {19, 57, Text(employerName(tx.Text1))},
            {76, 22, Text(tx.Text2)},
            {98, 22, Text(tx.Text3)},
            {120, 2, Text(tx.Text4)},
            {122, 9, Text(employerZip(tx.Text5))},
            {131, 4, Year(session.ToMonthYear), "Year"},
            {135, 2, quarterCode(session.Quarter), "Quarter"},
            {137, 15, Amount(session.TotalWages, 13), "Total wages"},
            {152, 11, Amount(session.TotalWages.minus(session.TaxableTotal), 9), "Excess wages (total minus taxable)"},
            {163, 15, Amount(session.TaxableTotal, 13), "Taxable wages"},
            {178, 11, due, "Tax due"},
            {189, 9, Fixed("000000000")},
            {198, 9, Fixed("000000000")},
            {207, 11, due, "Tax due"},
            {218, 27, Text(tx.Text9)},
            {245, 10, Text(contactPhone(tx.Text14))},
            {255, 50, Text(tx.Text10)},
        });
}

FixedRecord record02(const EmployeeRow& employee)
{
    return FixedRecord(104, LineEnd::CRLF,
                       {
                           {1, 2, Fixed("02")},
                           {3, 9, Text(employee.SS)},
                           {12, 15, UpperText(employee.FirstName)},
                           {27, 1, UpperText(middleInitial(employee.MiddleName))},
                           {28, 20, UpperText(employee.LastName)},
                           {48, 11, Amount(employee.GrossWages, 9), "GrossWages"},
                           {59, 11, Amount(employee.TaxableWages, 9), "TaxableWages"},
                           {70, 11, Fixed("00000000000")},
                           {81, 11, Fixed("00000000000")},
                           {92, 2, Fixed("FL")},
                           {94, 11, Fixed("00000000000")},
                       });
}

FixedRecord record03(const Session& session)
{
    const TotalsWindowBoxes& form3 = session.Form3;
    return FixedRecord(23, LineEnd::CRLF,
                       {
                           {1, 2, Fixed("03")},
                           {3, 7, CountOfText(form3.Text1, 7), "Month 1 count"},
                           {10, 7, CountOfText(form3.Text3, 7), "Month 2 count"},
                           {17, 7, CountOfText(form3.Text4, 7), "Month 3 count"},
                       });
}

// The file ends with the date itself, no line break after it.
FixedRecord record99(QDate today)
{
    return FixedRecord(10, LineEnd::None,
                       {
                           {1, 2, Fixed("99")},
                           {3, 8, Text(today.toString(QStringLiteral("yyyyMMdd")))},
                       });
}

void writeFile(Session& session, WageStore& store, const QString& fileName, QDate today)
{
    const StateFileContext& context = florida();
    StateFile file(fileName, context);
    file.write(record00(session), QStringLiteral("The transmitter record (00)"));
    file.write(record01(session), QStringLiteral("The employer record (01)"));
    context.forEachEmployee(store, EmployeeOrder::LastName,
                            [&](const EmployeeRow& employee) { file.write(record02(employee), employee); });
    file.write(record03(session), QStringLiteral("The monthly employment record (03)"));
    file.write(record99(today), QStringLiteral("The end record (99)"));
    file.commit();
}

} // namespace

bool CreateFLICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return CreateFLICESAFile(session, dialogs, fileName,
                             session.Today.isValid() ? session.Today : QDate::currentDate());
}

bool CreateFLICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today)
{
    return runStateFileWriter(session, dialogs, florida(),
                              [&](WageStore& store) { writeFile(session, store, fileName, today); });
}

} // namespace wagetrove
