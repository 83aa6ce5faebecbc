#include "writers/createncicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& northCarolina()
{
    static const StateFileContext context(kCreateNCICESAFileError, QStringLiteral("The North Carolina wage file"));
    return context;
}

// A code that must fill its column exactly: a quarter or a year of another width stops the file.
FieldValue exactText(const QString& text)
{
    return FieldValue::exact(FieldText::written(text));
}

FixedRecord recordN(const Session& session)
{
    return FixedRecord(
        275, LineEnd::CRLF,
        {
            {1, 1, Fixed("N")},
            {2, 7, Text(session.Form3.Text9)},
            {9, 1, exactText(session.Quarter), "Quarter"},
            {10, 4, exactText(QString::number(session.TaxYear)), "TaxYear"},
            {14, 5, Count(session.Month1Count, 5), "Month1Count"},
            {19, 5, Count(session.Month2Count, 5), "Month2Count"},
            {24, 5, Count(session.Month3Count, 5), "Month3Count"},
            {29, 11, Amount(session.TotalWages, 9), "Total wages"},
            {40, 11, Amount(session.TotalWages.minus(session.TaxableTotal), 9), "Excess wages (total minus taxable)"},
            {51, 11, Amount(session.TaxableTotal, 9), "Taxable wages"},
            {62, 6, Text(session.RemitID)},
            {68, 1, Fixed("I")},
            {69, 207, Blank()},
        });
}

FixedRecord recordE(const Session& session)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("E")},
                           {2, 4, Blank()},
                           {6, 9, EIN9(session.Form3.Text8)},
                           {15, 9, Blank()},
                           {24, 50, Text(tx.Text1)},
                           {74, 40, Text(tx.Text2)},
                           {114, 25, Text(tx.Text3)},
                           {139, 2, Text(tx.Text4)},
                           {141, 8, Blank()},
                           {149, 5, ZipExt(tx.Text5)},
                           {154, 5, Text(tx.Text5)},
                           {159, 8, Blank()},
                           {167, 4, Fixed("UTAX")},
                           {171, 26, Blank()},
                           {197, 6, Text(session.RemitID)},
                           {203, 1, Blank()},
                           {204, 72, Blank()},
                       });
}

FixedRecord recordS(const Session& session, const EmployeeRow& employee)
{
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, UpperText(middleInitial(employee.MiddleName))},
                           {44, 2, Fixed("37")},
                           {46, 18, Blank()},
                           {64, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {78, 65, Blank()},
                           {143, 4, Fixed("UTAX")},
                           {147, 7, Text(session.Form3.Text9.trimmed())},
                           {154, 8, Blank()},
                           {162, 43, Blank()},
                           {205, 1, Fixed("N")},
                           {206, 1, Blank()},
                           {207, 8, Blank()},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 55, Blank()},
                       });
}

void writeFile(Session& session, WageStore& store, const QString& fileName)
{
    const StateFileContext& context = northCarolina();
    StateFile file(fileName, context);
    file.write(recordN(session), QStringLiteral("The header record (N)"));
    file.write(recordE(session), QStringLiteral("The employer record (E)"));
    context.forEachEmployee(store, EmployeeOrder::LastName,
                            [&](const EmployeeRow& employee) { file.write(recordS(session, employee), employee); });
    file.commit();
}

} // namespace

bool CreateNCICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, northCarolina(),
                              [&](WageStore& store) { writeFile(session, store, fileName); });
}

} // namespace wagetrove
