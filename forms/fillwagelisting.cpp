#include "forms/fillwagelisting.h"

#include "app/session.h"
#include "common/formats.h"
#include "forms/pdfform.h"
#include "writers/statefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <vector>

namespace wagetrove {
namespace {

const StateFileContext& wageListing()
{
    static const StateFileContext context(QStringLiteral("Unexpected Error has occured in FillWageListing. Try Again."),
                                          QStringLiteral("The wage listing"));
    return context;
}

WriteFailure failure(const QString& text)
{
    return {text, false};
}

void saveBytes(const QString& path, const QByteArray& bytes, const QString& what)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw failure(QStringLiteral("%1 could not be written to %2: %3")
                          .arg(what, QDir::toNativeSeparators(path), file.errorString()));
    }
}

QString socialSecurityText(const QString& ss)
{
    return ss.left(3) + QLatin1Char('-') + ss.mid(3, 2) + QLatin1Char('-') + ss.right(4);
}

/// One page of the listing being filled: a fresh copy of the blank form.
class ListingPage
{
public:
    ListingPage(const QByteArray& blank, const QString& blankPath, const Session& session, int number)
        : m_form(blank, QDir::toNativeSeparators(blankPath)), m_number(number)
    {
        set(QStringLiteral("1"), session.EmployerAddress);
        // The account number the state file carries: the totals window's State ID where the run or the user
        // set one, which the QuickBooks readers' StateAccountID fills too.
        const QString stateId = session.Form3.Text9.trimmed();
        set(QStringLiteral("2"), stateId.isEmpty() ? session.StateAccountID : stateId);
        set(QStringLiteral("3"), session.Quarter);
        set(QStringLiteral("4"), QString::number(session.TaxYear).rightJustified(4, QLatin1Char('0')));
    }

    void addLine(int line, const EmployeeRow& employee)
    {
        const std::optional<Currency> gross = m_gross.plus(employee.GrossWages);
        const std::optional<Currency> taxable = m_taxable.plus(employee.TaxableWages);
        if (!gross || !taxable) {
            throw wageListing().valueFailure(employee.who(), QStringLiteral("The page's totals are too large."));
        }
        m_gross = *gross;
        m_taxable = *taxable;
        const QString n = QString::number(line);
        set(n + QLatin1String("-1"), socialSecurityText(employee.SS));
        set(n + QLatin1String("-2"), employee.LastName);
        set(n + QLatin1String("-3"), employee.FirstName);
        if (!employee.MiddleName.isNull()) {
            set(n + QLatin1String("-4"), employee.MiddleName.left(1));
        }
        set(n + QLatin1String("-5"), formatTwoDecimals(employee.GrossWages));
        set(n + QLatin1String("-6"), formatTwoDecimals(employee.TaxableWages));
    }

    /// The page's totals and numbers, then every field renamed after the page so that the titles stay unique
    /// once the pages are joined.
    QByteArray finish(int pages)
    {
        set(QStringLiteral("19"), QString::number(m_number));
        set(QStringLiteral("20"), QString::number(pages));
        set(QStringLiteral("18-5"), formatTwoDecimals(m_gross));
        set(QStringLiteral("18-6"), formatTwoDecimals(m_taxable));
        const QString suffix = QLatin1Char('-') + QString::number(m_number);
        for (int index = 1; index <= m_form.fieldCount(); ++index) {
            m_form.setFieldTitle(index, m_form.fieldTitle(index) + suffix);
        }
        return m_form.save();
    }

private:
    void set(const QString& title, const QString& value)
    {
        if (!m_form.setFieldValue(title, value)) {
            throw PdfFormError{QStringLiteral("The form has no field \"%1\".").arg(title)};
        }
    }

    PdfForm m_form;
    int m_number;
    Currency m_gross;
    Currency m_taxable;
};

void fillListing(Session& session, WageStore& store, const QString& resultPath)
{
    const QString blankPath = session.AppFolder + kBlankWageListingName;
    QFile blankFile(blankPath);
    if (!blankFile.open(QIODevice::ReadOnly)) {
        throw failure(QStringLiteral("The wage listing form %1 could not be read: %2. Install Wagetrove again.")
                          .arg(QDir::toNativeSeparators(blankPath), blankFile.errorString()));
    }
    const QByteArray blank = blankFile.readAll();

    std::vector<EmployeeRow> employees;
    wageListing().forEachStoredEmployee(store, EmployeeOrder::Name,
                                        [&employees](const EmployeeRow& row) { employees.push_back(row); });
    const int count = static_cast<int>(employees.size());
    const int pages = count / kWageListingLinesPerPage + (count % kWageListingLinesPerPage > 0 ? 1 : 0);

    try {
        QStringList pageFiles;
        const auto savePage = [&session, &pageFiles](int number, const QByteArray& bytes) {
            const QString path = session.DataFolder + QStringLiteral("FilledInWL%1.pdf").arg(number);
            saveBytes(path, bytes, QStringLiteral("Page %1 of the wage listing").arg(number));
            pageFiles.append(path);
        };
        auto page = std::make_unique<ListingPage>(blank, blankPath, session, 1);
        int number = 1;
        int line = 0;
        for (const EmployeeRow& employee : employees) {
            if (++line > kWageListingLinesPerPage) {
                reportWriterProgress(number, pages);
                savePage(number, page->finish(pages));
                page = std::make_unique<ListingPage>(blank, blankPath, session, ++number);
                line = 1;
            }
            page->addLine(line, employee);
        }
        const QByteArray last = page->finish(pages);
        if (number == 1) {
            saveBytes(resultPath, last, QStringLiteral("The wage listing"));
            return;
        }
        savePage(number, last);
        saveBytes(resultPath, mergePdfFiles(pageFiles), QStringLiteral("The wage listing"));
    } catch (const PdfFormError& error) {
        throw failure(QStringLiteral("The wage listing was not made. %1").arg(error.reason));
    }
}

} // namespace

bool FillWageListing(Session& session, Dialogs& dialogs, const QString& resultPath)
{
    return runStateFileWriter(session, dialogs, wageListing(),
                              [&](WageStore& store) { fillListing(session, store, resultPath); });
}

} // namespace wagetrove
