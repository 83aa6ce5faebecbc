#include "writers/createilicesafile.h"

#include "app/session.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

#include <optional>
#include <utility>

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& illinois()
{
    static const StateFileContext context(kCreateILICESAFileError, QStringLiteral("The Illinois wage file"));
    return context;
}

struct Totals
{
    int N = 0;
    Currency G;
    Currency X;
};

FixedRecord recordA(const Session& session, QDate today)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    return FixedRecord(275, LineEnd::Blank,
                       {
                           {1, 1, Fixed("A")},
                           {2, 4, Year(session.ToMonthYear), "Year"},
                           {6, 9, EIN9(tx.Text13)},
                           {15, 4, Fixed("UTAX")},
                           {19, 5, Blank()},
                           {24, 50, Text(tx.Text6)},
                           {74, 40, Text(tx.Text7)},
                           {114, 25, Text(tx.Text8)},
                           {139, 2, Text(tx.Text11)},
                           {141, 13, Blank()},
                           {154, 5, Text(tx.Text12)},
                           {159, 5, ZipExt(tx.Text12)},
                           {164, 30, Text(tx.Text9)},
                           {194, 10, Phone10(tx.Text14)},
                           {204, 4, Blank()},
                           {208, 6, Blank()},
                           {214, 1, Fixed("Y")},
                           {215, 28, Blank()},
                           {243, 8, Text(today.toString(QStringLiteral("MMddyyyy")))},
                           {251, 25, Blank()},
                       });
}

FixedRecord recordB(const Session& session)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    return FixedRecord(276, LineEnd::None,
                       {
                           {1, 1, Fixed("B")},
                           {2, 4, Year(session.ToMonthYear), "Year"},
                           {6, 9, EIN9(tx.Text13)},
                           {15, 13, Blank()},
                           {28, 3, Fixed("ASC")},
                           {31, 4, Blank()},
                           {35, 4, Fixed("UTAX")},
                           {39, 108, Blank()},
                           {147, 44, Text(tx.Text6)},
                           {191, 35, Text(tx.Text7)},
                           {226, 20, Text(tx.Text8)},
                           {246, 2, Text(tx.Text11)},
                           {248, 5, Blank()},
                           {253, 5, Text(tx.Text12)},
                           {258, 5, Blank()},
                           {263, 2, Fixed("ED")},
                           {265, 12, Blank()},
                       });
}

FixedRecord recordE(const Session& session)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    return FixedRecord(275, LineEnd::Blank,
                       {
                           {1, 1, Fixed("E")},
                           {2, 4, Year(session.ToMonthYear), "Year"},
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
                           {171, 2, Text(session.StateFips)},
                           {173, 9, Text(session.Form3.Text9)},
                           {182, 6, Blank()},
                           {188, 2, QuarterEndMonth(session.Quarter)},
                           {190, 1, Fixed("0")},
                           {191, 1, Fixed("T")},
                           {192, 84, Blank()},
                       });
}

FixedRecord recordS(const Session& session, const EmployeeRow& employee)
{
    return FixedRecord(275, LineEnd::Blank,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, UpperText(middleInitial(employee.MiddleName))},
                           {44, 2, Text(session.StateFips)},
                           {46, 4, Blank()},
                           {50, 14, Blank()},
                           {64, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {78, 14, Blank()},
                           {92, 14, Amount(employee.TaxableWages, 12), "TaxableWages"},
                           {106, 37, Blank()},
                           {143, 4, Fixed("UTAX")},
                           {147, 9, Text(session.Form3.Text9)},
                           {156, 56, Blank()},
                           {212, 1, Text(monthFlag(employee.Month1))},
                           {213, 1, Text(monthFlag(employee.Month2))},
                           {214, 1, Text(monthFlag(employee.Month3))},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 55, Blank()},
                       });
}

FixedRecord recordT(const Session& session, const Totals& totals)
{
    // The contributions come from the total taxable wages, not from a sum per employee.
    const std::optional<Currency> contributions = totals.X.atRate(session.Rate);
    const std::optional<Currency> excess = totals.G.minus(totals.X);
    const TotalsWindowBoxes& form3 = session.Form3;
    return FixedRecord(276, LineEnd::None,
                       {
                           {1, 1, Fixed("T")},
                           {2, 7, Count(totals.N, 7), "Number of employees"},
                           {9, 4, Fixed("UTAX")},
                           {13, 14, Blank()},
                           {27, 14, Amount(totals.G, 12), "Total GrossWages"},
                           {41, 14, Amount(excess, 12), "Excess wages (gross minus taxable)"},
                           {55, 14, Amount(totals.X, 12), "Total TaxableWages"},
                           {69, 13, Blank()},
                           {82, 6, RateFraction(session.Rate), "Rate"},
                           {88, 13, Amount(contributions, 11), "Contributions due"},
                           {101, 11, Fixed("00000000000")},
                           {112, 11, Fixed("00000000000")},
                           {123, 11, Fixed("00000000000")},
                           {134, 11, Fixed("00000000000")},
                           {145, 30, Blank()},
                           {175, 11, Amount(contributions, 9), "Total due"},
                           {186, 41, Blank()},
                           {227, 7, CountOfText(form3.Text1, 7), "Month 1 count"},
                           {234, 7, CountOfText(form3.Text3, 7), "Month 2 count"},
                           {241, 7, CountOfText(form3.Text4, 7), "Month 3 count"},
                           {248, 3, Blank()},
                           {251, 2, QuarterEndMonth(session.Quarter)},
                           {253, 4, Year(session.ToMonthYear), "Year"},
                           {257, 1, Blank()},
                           {258, 10, Fixed("0000000001")},
                           {268, 7, CountOfText(form3.Text9, 7), "State ID"},
                           {275, 2, Blank()},
                       });
}

FixedRecord recordF(const Totals& totals)
{
    return FixedRecord(276, LineEnd::None,
                       {
                           {1, 1, Fixed("F")},
                           {2, 10, Count(totals.N, 10), "Number of employees"},
                           {12, 10, Fixed("0000000001")},
                           {22, 4, Fixed("UTAX")},
                           {26, 15, Blank()},
                           {41, 15, Amount(totals.G, 13), "Total GrossWages"},
                           {56, 15, Amount(totals.G.minus(totals.X), 13), "Excess wages (gross minus taxable)"},
                           {71, 15, Amount(totals.X, 13), "Total TaxableWages"},
                           {86, 191, Blank()},
                       });
}

void writeFile(Session& session, WageStore& store, const QString& fileName, QDate today)
{
    const StateFileContext& context = illinois();
    StateFile file(fileName, context);
    file.write(recordA(session, today), QStringLiteral("The transmitter record (A)"));
    file.write(recordB(session), QStringLiteral("The authorization record (B)"));
    file.write(recordE(session), QStringLiteral("The employer record (E)"));

    Totals totals;
    context.forEachEmployee(store, EmployeeOrder::LastName, [&](const EmployeeRow& employee) {
        file.write(recordS(session, employee), employee);
        const std::optional<Currency> g = totals.G.plus(employee.GrossWages);
        const std::optional<Currency> x = totals.X.plus(employee.TaxableWages);
        if (!g || !x) {
            throw context.valueFailure(employee.who(),
                                       QStringLiteral("The total of the wages is too large to be computed."));
        }
        ++totals.N;
        totals.G = *g;
        totals.X = *x;
    });
    file.write(recordT(session, totals), QStringLiteral("The employer totals record (T)"));
    file.write(recordF(totals), QStringLiteral("The final record (F)"));
    file.commit();
}

} // namespace

bool CreateILICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return CreateILICESAFile(session, dialogs, fileName,
                             session.Today.isValid() ? session.Today : QDate::currentDate());
}

bool CreateILICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today)
{
    return runStateFileWriter(session, dialogs, illinois(),
                              [&](WageStore& store) { writeFile(session, store, fileName, today); });
}

} // namespace wagetrove
