#include "writers/createmdicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& maryland()
{
    static const StateFileContext context(kCreateMDICESAFileError, QStringLiteral("The Maryland wage file"));
    return context;
}

FixedRecord recordS(const Session& session, const EmployeeRow& employee)
{
    return FixedRecord(275, LineEnd::CR,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, Blank()},
                           {44, 2, Text(session.StateFips)},
                           {46, 18, Blank()},
                           {64, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {78, 69, Blank()},
                           // A State ID of more than eight digits fails here rather than losing its last digit.
                           {147, 2, Fixed("00")},
                           {149, 8, CountOfText(session.Form3.Text9, 8), "State ID"},
                           {157, 58, Blank()},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 55, Blank()},
                       });
}

} // namespace

bool CreateMDICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, maryland(), [&](WageStore& store) {
        StateFile file(fileName, maryland());
        maryland().forEachEmployee(store, EmployeeOrder::LastName, [&](const EmployeeRow& employee) {
            file.write(recordS(session, employee), employee);
        });
        file.commit();
    });
}

} // namespace wagetrove
