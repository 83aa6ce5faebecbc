#include "writers/createtnicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& tennessee()
{
    static const StateFileContext context(kCreateTNICESAFileError, QStringLiteral("The Tennessee wage file"));
    return context;
}

/// The period's month, the first two characters of its MMYYYY text.
FieldValue periodMonth(const QString& toMonthYear)
{
    const QString month = toMonthYear.left(2);
    const int number = month.toInt();
    if (month.size() != 2 || number < 1 || number > 12) {
        return FieldValue::exact(
            FieldText::failure(QStringLiteral("The period \"%1\" does not start with a month.").arg(toMonthYear)));
    }
    return FieldValue::exact(FieldText::written(month));
}

FixedRecord recordE(const Session& session)
{
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("E")},
                           {2, 4, Year(session.ToMonthYear), "Year"},
                           {6, 9, EIN9(session.Form3.Text8)},
                           {15, 146, Blank()},
                           {161, 2, Fixed("25")},
                           {163, 8, Blank()},
                           {171, 2, Fixed("47")},
                           {173, 8, Text(session.Form3.Text9.trimmed())},
                           {181, 7, Blank()},
                           {188, 2, periodMonth(session.ToMonthYear), "Month"},
                           {190, 1, Fixed("0")},
                           {191, 85, Blank()},
                       });
}

/// A name in capitals with no blank in it (Mc Donald gives MCDONALD).
FieldValue blankFreeName(const QString& name)
{
    // Folded first, so that a tab pasted into the name, which becomes a blank, goes too.
    return UpperText(plainAscii(name).remove(QLatin1Char(' ')));
}

FixedRecord recordS(const EmployeeRow& employee)
{
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, blankFreeName(employee.LastName)},
                           {31, 12, blankFreeName(employee.FirstName)},
                           {43, 1, UpperText(employee.MiddleName.left(1))},
                           {44, 2, Fixed("47")},
                           {46, 4, Blank()},
                           {50, 14, Fixed("00000000000000")},
                           {64, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {78, 198, Blank()},
                       });
}

FixedRecord recordF()
{
    return FixedRecord(275, LineEnd::CRLF, {{1, 1, Fixed("F")}, {2, 274, Blank()}});
}

} // namespace

bool CreateTNICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, tennessee(), [&](WageStore& store) {
        StateFile file(fileName, tennessee());
        file.write(recordE(session), QStringLiteral("The employer record (E)"));
        tennessee().forEachEmployee(store, EmployeeOrder::LastName,
                                    [&](const EmployeeRow& employee) { file.write(recordS(employee), employee); });
        file.write(recordF(), QStringLiteral("The final record (F)"));
        file.commit();
    });
}

} // namespace wagetrove
