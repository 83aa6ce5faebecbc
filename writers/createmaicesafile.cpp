#include "writers/createmaicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& massachusetts()
{
    static const StateFileContext context(kCreateMAICESAFileError, QStringLiteral("The Massachusetts Quest wage file"));
    return context;
}

// Whole hours, rounded half away from zero; 1,000 hours or more stop the file rather than lose a digit.
FieldValue hours(Currency totalHours)
{
    return FieldValue::exact(countField(totalHours, 3));
}

FixedRecord recordS(const Session& session, const EmployeeRow& employee)
{
    return FixedRecord(274, LineEnd::CR,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, UpperText(middleInitial(employee.MiddleName))},
                           {44, 2, Blank()},
                           {46, 1, Fixed("0")},
                           {47, 3, Blank()},
                           {50, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {64, 68, Blank()},
                           {132, 3, hours(employee.TotalHours), "TotalHours"},
                           {135, 12, Blank()},
                           {147, 8, Text(session.Form3.Text9.trimmed())},
                           {155, 7, Blank()},
                           {162, 4, Fixed("0000")},
                           {166, 11, Blank()},
                           {177, 14, Amount(employee.SWHWages, 12), "SWHWages"},
                           {191, 14, Amount(employee.SWHAmount, 12), "SWHAmount"},
                           {205, 5, Blank()},
                           {210, 1, Text(employee.Owner.left(1))},
                           {211, 1, Blank()},
                           {212, 1, Text(monthFlag(employee.Month1))},
                           {213, 1, Text(monthFlag(employee.Month2))},
                           {214, 1, Text(monthFlag(employee.Month3))},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 54, Blank()},
                       });
}

void writeFile(Session& session, WageStore& store, const QString& fileName)
{
    const StateFileContext& context = massachusetts();
    StateFile file(fileName, context);
    context.forEachEmployee(store, EmployeeOrder::LastName,
                            [&](const EmployeeRow& employee) { file.write(recordS(session, employee), employee); });
    file.commit();
}

} // namespace

bool CreateMAICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, massachusetts(),
                              [&](WageStore& store) { writeFile(session, store, fileName); });
}

} // namespace wagetrove
