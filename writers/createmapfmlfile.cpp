#include "writers/createmapfmlfile.h"

#include "app/datafolder.h"
#include "app/session.h"
#include "common/formats.h"
#include "writers/statefile.h"
#include "writers/workbooktemplate.h"

#include <QRegularExpression>

namespace wagetrove {

namespace {

constexpr int kFirstEmployeeRow = 3;

enum Column
{
    kSS = 1,
    kFirstName = 2,
    kLastName = 3,
    kGrossWages = 6,
    kTaxableWages = 7,
    kMedicalShare = 8,
    kFamilyShare = 9,
};

const StateFileContext& pfml()
{
    static const StateFileContext context(kCreateMAPFMLFileError, QStringLiteral("The Massachusetts PFML workbook"));
    return context;
}

// A share typed as a number is a number in the workbook, as a spreadsheet takes a typed number; anything else
// stays the text the user typed.
void addAsTyped(WorkbookTemplate& workbook, int column, const QString& typed)
{
    static const QRegularExpression plainNumber(QStringLiteral("^-?\\d{1,15}(\\.\\d{1,15})?$"));
    if (plainNumber.match(typed).hasMatch()) {
        workbook.addNumber(column, typed);
    } else {
        workbook.addText(column, typed);
    }
}

void writeWorkbook(Session& session, WageStore& store, const QString& fileName)
{
    try {
        WorkbookTemplate workbook(session.DataFolder + kPfmlTemplateName, kFirstEmployeeRow);
        pfml().forEachEmployee(store, EmployeeOrder::LastName, [&](const EmployeeRow& employee) {
            workbook.beginRow();
            workbook.addText(kSS, employee.SS);
            workbook.addText(kFirstName, employee.FirstName.toUpper());
            workbook.addText(kLastName, employee.LastName.toUpper());
            workbook.addNumber(kGrossWages, formatPlainDecimal(employee.GrossWages));
            workbook.addNumber(kTaxableWages, formatPlainDecimal(employee.TaxableWages));
            addAsTyped(workbook, kMedicalShare, session.Form3.Text6);
            addAsTyped(workbook, kFamilyShare, session.Form3.Text7);
        });
        StateFile file(fileName, pfml());
        file.write(workbook.finish());
        file.commit();
    } catch (const WorkbookTemplateError& error) {
        throw WriteFailure{QStringLiteral("The Massachusetts PFML workbook was not written. %1").arg(error.reason)};
    }
}

} // namespace

bool CreateMAPFMLFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, pfml(),
                              [&](WageStore& store) { writeWorkbook(session, store, fileName); });
}

} // namespace wagetrove
