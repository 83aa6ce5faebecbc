#include "writers/createicesafile.h"

#include "app/session.h"
#include "app/statecatalogue.h"
#include "store/wagestore.h"
#include "writers/fixedrecord.h"
#include "writers/statefile.h"

#include <optional>

namespace wagetrove {

namespace {

using namespace fields;

const StateFileContext& contextFor(StateItem state)
{
    static const StateFileContext texas(kCreateICESAFileError, QStringLiteral("The Texas wage file"));
    static const StateFileContext kentucky(kCreateICESAFileError, QStringLiteral("The Kentucky wage file"));
    static const StateFileContext southCarolina(kCreateICESAFileError, QStringLiteral("The South Carolina wage file"));
    switch (state) {
    case StateItem::Kentucky:
        return kentucky;
    case StateItem::SouthCarolina:
        return southCarolina;
    default:
        return texas;
    }
}

struct Totals
{
    int N = 0;
    Currency G;
    Currency X;
};

/// The Kentucky surcharge filed in the T record for a year and quarter, when there is one: its code and its rate in
/// percent, the same rate the totals window shows it at.
struct Surcharge
{
    const char* code;
    Currency ratePercent;
};

std::optional<Surcharge> kentuckySurcharge(int year, const QString& quarter)
{
    const bool firstHalf = quarter == QLatin1String("1") || quarter == QLatin1String("2");
    const bool secondHalf = quarter == QLatin1String("3") || quarter == QLatin1String("4");
    if (year == 2014) {
        return Surcharge{"00220", Currency::fromRaw(2200)};
    }
    if (year == 2015 || (year == 2016 && firstHalf)) {
        return Surcharge{"00210", Currency::fromRaw(2100)};
    }
    if (year == 2021 || year == 2022) {
        return Surcharge{"00000", Currency()};
    }
    if ((year == 2018 && secondHalf) || year >= 2019) {
        return Surcharge{"00075", Currency::fromRaw(750)};
    }
    return std::nullopt;
}

/// Whether Kentucky files its rate without the service capacity upgrade fund share, which it then reports apart.
bool kentuckyRateWithoutScuf(int year, const QString& quarter)
{
    return year != 2021 && year != 2022 &&
           (year >= 2019 || (year == 2018 && (quarter == QLatin1String("3") || quarter == QLatin1String("4"))));
}

/// The State ID as each state wants it in the E and S records.
QString reshapedStateId(StateItem state, const QString& stateId)
{
    switch (state) {
    case StateItem::Texas:
        // Typed as NN-NNNNNN-N.
        return stateId.left(2) + stateId.mid(3, 6) + stateId.right(1);
    case StateItem::Kentucky:
        return stateId.size() == 6 || stateId.size() == 7 ? QStringLiteral("00") + stateId : stateId;
    default:
        return stateId.left(6);
    }
}

/// The last day of the period's month, MMDDYYYY, from its MMYYYY text.
FieldValue periodEndDate(const QString& toMonthYear)
{
    const QDate first = QDate::fromString(toMonthYear, QStringLiteral("MMyyyy"));
    if (!first.isValid()) {
        return FieldValue::exact(
            FieldText::failure(QStringLiteral("The period \"%1\" is not a month and year.").arg(toMonthYear)));
    }
    return FieldValue::exact(
        FieldText::written(first.addDays(first.daysInMonth() - 1).toString(QStringLiteral("MMddyyyy"))));
}

FixedRecord recordA(const Session& session, StateItem state, QDate today)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    // Kentucky dates the file by the end of the quarter reported, the others by the day it is made.
    const FieldValue date = state == StateItem::Kentucky
                                ? periodEndDate(session.ToMonthYear)
                                : FieldValue::exact(FieldText::written(today.toString(QStringLiteral("MMddyyyy"))));
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("A")},        {2, 4, Year(session.ToMonthYear), "Year"},
                           {6, 9, EIN9(tx.Text13)},   {15, 4, Fixed("UTAX")},
                           {19, 5, Blank()},          {24, 50, Text(tx.Text6)},
                           {74, 40, Text(tx.Text7)},  {114, 25, Text(tx.Text8)},
                           {139, 2, Text(tx.Text11)}, {141, 13, Blank()},
                           {154, 5, Text(tx.Text12)}, {159, 5, ZipExt(tx.Text12)},
                           {164, 30, Text(tx.Text9)}, {194, 10, Phone10(tx.Text14)},
                           {204, 4, Blank()},         {208, 6, Blank()},
                           {214, 1, Fixed("Y")},      {215, 28, Blank()},
                           {243, 8, date, "Date"},    {251, 25, Blank()},
                       });
}

FixedRecord letterOnly(const char* letter)
{
    return FixedRecord(275, LineEnd::CRLF, {{1, 1, Fixed(letter)}, {2, 274, Blank()}});
}

FixedRecord recordE(const Session& session, StateItem state)
{
    const TransmitterWindowBoxes& tx = session.frmTXMag;
    return FixedRecord(275, LineEnd::CRLF,
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
                           {173, 9, Text(reshapedStateId(state, session.Form3.Text9))},
                           {182, 6, Blank()},
                           {188, 2, QuarterEndMonth(session.Quarter)},
                           {190, 1, Fixed("0")},
                           {191, 85, Blank()},
                       });
}

FixedRecord recordS(const Session& session, StateItem state, const EmployeeRow& employee)
{
    const bool kentucky = state == StateItem::Kentucky;
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("S")},
                           {2, 9, Text(employee.SS)},
                           {11, 20, UpperText(employee.LastName)},
                           {31, 12, UpperText(employee.FirstName)},
                           {43, 1, UpperText(middleInitial(employee.MiddleName))},
                           {44, 2, Text(session.StateFips)},
                           {46, 4, Blank()},
                           {50, 14, kentucky ? Amount(employee.GrossWages, 12) : Blank(), "GrossWages"},
                           {64, 14, Amount(employee.GrossWages, 12), "GrossWages"},
                           {78, 14, kentucky ? Amount(employee.GrossWages.minus(employee.TaxableWages), 12) : Blank(),
                            "Excess wages (GrossWages minus TaxableWages)"},
                           {92, 14, Amount(employee.TaxableWages, 12), "TaxableWages"},
                           {106, 37, Blank()},
                           {143, 4, Fixed("UTAX")},
                           {147, 9, Text(reshapedStateId(state, session.Form3.Text9))},
                           {156, 56, Blank()},
                           {212, 1, Text(monthFlag(employee.Month1))},
                           {213, 1, Text(monthFlag(employee.Month2))},
                           {214, 1, Text(monthFlag(employee.Month3))},
                           {215, 2, QuarterEndMonth(session.Quarter)},
                           {217, 4, Year(session.ToMonthYear), "Year"},
                           {221, 55, Blank()},
                       });
}

FixedRecord recordTTexas(const Session& session, const Totals& totals)
{
    const TotalsWindowBoxes& form3 = session.Form3;
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("T")},
                           {2, 7, Count(totals.N, 7), "Number of employees"},
                           {9, 4, Fixed("UTAX")},
                           {13, 14, Blank()},
                           {27, 14, Amount(totals.G, 12), "Total GrossWages"},
                           {41, 14, Blank()},
                           {55, 14, Amount(totals.X, 12), "Total TaxableWages"},
                           {69, 13, Blank()},
                           {82, 6, RateFraction(session.Rate), "Rate"},
                           {88, 13, Amount(totals.X.atRate(session.Rate), 11), "Contributions due"},
                           {101, 126, Blank()},
                           {227, 7, CountOfText(form3.Text1, 7), "Month 1 count"},
                           {234, 7, CountOfText(form3.Text3, 7), "Month 2 count"},
                           {241, 7, CountOfText(form3.Text4, 7), "Month 3 count"},
                           {248, 3, CountOfText(form3.Text10, 3), "County code"},
                           {251, 7, CountOfText(form3.Text11, 7), "Out-of-county count"},
                           {258, 18, Blank()},
                       });
}

FixedRecord recordTKentucky(const Session& session, const Totals& totals)
{
    const TotalsWindowBoxes& form3 = session.Form3;
    // The session's Rate stays as the user gave it: the totals window, a second file and a new totals pass all
    // start again from it.
    const Currency rate =
        kentuckyRateWithoutScuf(session.TaxYear, session.Quarter) ? session.ModifiedRate : session.Rate;
    const std::optional<Surcharge> surcharge = kentuckySurcharge(session.TaxYear, session.Quarter);
    const std::optional<Currency> surchargeAmount =
        surcharge ? totals.X.atRate(surcharge->ratePercent) : std::optional<Currency>(Currency());
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("T")},
                           {2, 7, Count(totals.N, 7), "Number of employees"},
                           {9, 4, Fixed("UTAX")},
                           {13, 14, Amount(totals.G, 12), "Total GrossWages"},
                           {27, 14, Blank()},
                           {41, 14, Amount(totals.G.minus(totals.X), 12), "Excess wages (gross minus taxable)"},
                           {55, 14, Amount(totals.X, 12), "Total TaxableWages"},
                           {69, 13, Amount(totals.X.atRate(rate), 11), "Contributions due"},
                           {82, 6, RateFraction(rate), "Rate"},
                           {88, 57, Blank()},
                           {145, 5, surcharge ? Fixed(surcharge->code) : Blank()},
                           {150, 11, surcharge ? Amount(surchargeAmount, 9) : Blank(), "Surcharge"},
                           {161, 66, Blank()},
                           {227, 7, CountOfText(form3.Text1, 7), "Month 1 count"},
                           {234, 7, CountOfText(form3.Text3, 7), "Month 2 count"},
                           {241, 7, CountOfText(form3.Text4, 7), "Month 3 count"},
                           {248, 28, Blank()},
                       });
}

FixedRecord recordF(const Totals& totals)
{
    return FixedRecord(275, LineEnd::CRLF,
                       {
                           {1, 1, Fixed("F")},
                           {2, 10, Count(totals.N, 10), "Number of employees"},
                           {12, 10, Fixed("0000000001")},
                           {22, 4, Fixed("UTAX")},
                           {26, 15, Blank()},
                           {41, 15, Amount(totals.G, 13), "Total GrossWages"},
                           {56, 15, Blank()},
                           {71, 15, Amount(totals.X, 13), "Total TaxableWages"},
                           {86, 190, Blank()},
                       });
}

void writeFile(Session& session, StateItem state, WageStore& store, const QString& fileName, QDate today)
{
    const StateFileContext& context = contextFor(state);
    StateFile file(fileName, context);
    file.write(recordA(session, state, today), QStringLiteral("The transmitter record (A)"));
    if (state != StateItem::Kentucky) {
        file.write(letterOnly("B"), QStringLiteral("The authorization record (B)"));
    }
    file.write(recordE(session, state), QStringLiteral("The employer record (E)"));

    Totals totals;
    context.forEachEmployee(store, EmployeeOrder::LastName, [&](const EmployeeRow& employee) {
        file.write(recordS(session, state, employee), employee);
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

    const QString t = QStringLiteral("The employer totals record (T)");
    const QString f = QStringLiteral("The final record (F)");
    switch (state) {
    case StateItem::Texas:
        file.write(recordTTexas(session, totals), t);
        file.write(recordF(totals), f);
        break;
    case StateItem::Kentucky:
        file.write(recordTKentucky(session, totals), t);
        file.write(recordF(totals), f);
        break;
    default:
        file.write(letterOnly("T"), t);
        file.write(letterOnly("F"), f);
        break;
    }
    file.commit();
}

} // namespace

bool CreateICESAFile(Session& session, Dialogs& dialogs, const QString& fileName)
{
    return CreateICESAFile(session, dialogs, fileName, session.Today.isValid() ? session.Today : QDate::currentDate());
}

bool CreateICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today)
{
    const StateItem state = stateAt(session.StatePosition).item();
    const bool known = state == StateItem::Texas || state == StateItem::Kentucky || state == StateItem::SouthCarolina;
    return runStateFileWriter(session, dialogs, contextFor(state), [&](WageStore& store) {
        if (!known) {
            throw contextFor(state).unexpected();
        }
        writeFile(session, state, store, fileName, today);
    });
}

} // namespace wagetrove
