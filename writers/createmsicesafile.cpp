#include "writers/createmsicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& mississippi()
{
    static const StateFileContext context(kCreateMSICESAFileError, QStringLiteral("The Mississippi wage file"));
    return context;
}

FixedRecord recordS(const Session& session, const EmployeeRow& employee)
{
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, UpperText(employee.MiddleName.left(1))},
                           {44, 2, Text(session.StateFips)},
                           {46, 4, Blank()},
                           {50, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {64, 83, Blank()},
                           {147, 15, Text(session.Form3.Text9)},
                           {162, 53, Blank()},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 55, Blank()},
                       });
}

} // namespace

bool CreateMSICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, mississippi(), [&](WageStore& store) {
        StateFile file(fileName, mississippi());
        mississippi().forEachEmployee(store, EmployeeOrder::LastName, [&](const EmployeeRow& employee) {
            file.write(recordS(session, employee), employee);
        });
        file.commit();
    });
}

} // namespace wagetrove
