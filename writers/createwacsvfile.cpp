#include "writers/createwacsvfile.h"

#include "app/session.h"
#include "common/formats.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

#include <QRegularExpression>
#include <QStringList>

namespace wagetrove {

namespace {

const StateFileContext& washington()
{
    static const StateFileContext context(kCreateWACSVFileError, QStringLiteral("The Washington wage file"));
    return context;
}

// A comma inside a name would start a new field, and the file has no quoting.
QString name(const QString& text)
{
    QString upper = plainAscii(text).toUpper();
    upper.replace(QLatin1Char(','), QLatin1Char(' '));
    return upper;
}

QString middleName(const QString& text)
{
    QString middle = name(text);
    middle.remove(QLatin1Char('.'));
    return middle;
}

// The number is re-cut by position, so anything but nine digits would come out as a wrong number.
QString socialSecurityNumber(const EmployeeRow& employee)
{
    static const QRegularExpression nineDigits(QStringLiteral("^\\d{9}$"));
    if (employee.SS.isEmpty()) {
        return QString();
    }
    if (!nineDigits.match(employee.SS).hasMatch()) {
        throw washington().valueFailure(
            employee.who(), QStringLiteral("The Social Security number \"%1\" is not nine digits.").arg(employee.SS));
    }
    return employee.SS.left(3) + QLatin1Char('-') + employee.SS.mid(3, 2) + QLatin1Char('-') + employee.SS.right(4);
}

QString plainNumber(const EmployeeRow& employee, const char* field, Currency value)
{
    if (value.isNegative()) {
        throw washington().valueFailure(
            employee.who(),
            QStringLiteral("The %1 %2 is negative.").arg(QLatin1String(field), formatPlainDecimal(value)));
    }
    return formatPlainDecimal(value);
}

QString socCode(const EmployeeRow& employee)
{
    const QString code = plainAscii(employee.UnitCode);
    if (code.contains(QLatin1Char(','))) {
        throw washington().valueFailure(employee.who(),
                                        QStringLiteral("The SOC code \"%1\" holds a comma.").arg(employee.UnitCode));
    }
    return code;
}

QByteArray line(const EmployeeRow& employee)
{
    const QStringList fields = {
        socialSecurityNumber(employee),
        name(employee.LastName),
        name(employee.FirstName),
        middleName(employee.MiddleName),
        QString(),
        plainNumber(employee, "TotalHours", employee.TotalHours),
        plainNumber(employee, "GrossWages", employee.GrossWages),
        socCode(employee),
    };
    return (fields.join(QLatin1Char(',')) + QLatin1String("\r\n")).toLatin1();
}

void writeFile(WageStore& store, const QString& fileName)
{
    const StateFileContext& context = washington();
    StateFile file(fileName, context);
    context.forEachEmployee(store, EmployeeOrder::Name,
                            [&](const EmployeeRow& employee) { file.write(line(employee)); });
    file.commit();
}

} // namespace

bool CreateWACSVFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return runStateFileWriter(session, dialogs, washington(), [&](WageStore& store) { writeFile(store, fileName); });
}

} // namespace wagetrove
