#include "totals/totalslayout.h"

#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/formats.h"
#include "totals/recalculatetotals.h"

namespace wagetrove {
namespace {

/// The surcharge line of a Kentucky period: its caption texts and rate in percent.
void showSurcharge(TotalsLayout& layout, Session& session, const QString& rateText, Currency ratePercent)
{
    layout.withholdingVisible = true;
    layout.Label15 = QStringLiteral("Surch Rate");
    layout.Label16 = QStringLiteral("Surch Amount");
    session.Form3.Text12 = rateText;
    session.Form3.Text13 = formatDollars(taxAtRate(session.TaxableTotal, ratePercent));
}

void showScuf(TotalsLayout& layout, Session& session)
{
    layout.withholdingVisible = true;
    layout.countyVisible = true;
    layout.Label6 = QStringLiteral("Established Rate");
    layout.Label7 = QStringLiteral("Tax Due including SCUF");
    layout.Label15 = QStringLiteral("SCUF Rate");
    layout.Label16 = QStringLiteral("SCUF Amount");
    layout.Label13 = QStringLiteral("Modified Rate");
    session.Form3.Text12 = QStringLiteral(".075%");
    session.Form3.Text10 = formatPlainDecimal(session.ModifiedRate) + QLatin1Char('%');
    session.Form3.Text13 = formatDollars(taxAtRate(session.TaxableTotal, Currency::fromRaw(750)));
}

} // namespace

TotalsLayout ShowTotalsWindowLayout(Session& session, const QString& fromBox, const QString& toBox)
{
    TotalsLayout layout;
    layout.Label4 = QStringLiteral("Period: ") + fromBox + QStringLiteral(" - ") + toBox;

    const int year = session.TaxYear;
    const QString& quarter = session.Quarter;
    switch (stateAt(session.StatePosition).item()) {
    case StateItem::Texas:
        layout.countyVisible = true;
        layout.outOfCountyVisible = true;
        break;
    case StateItem::MassachusettsQuest:
        layout.withholdingVisible = true;
        break;
    case StateItem::Kentucky:
        layout.text10Enabled = false;
        // The surcharge periods do not overlap; in the others (2016 Q3 to 2018 Q2, 2021, 2022, before 2014)
        // no surcharge line shows.
        if (year == 2014) {
            showSurcharge(layout, session, QStringLiteral(".22%"), Currency::fromRaw(2200));
        } else if (year == 2015 || (year == 2016 && quarter < QStringLiteral("3"))) {
            showSurcharge(layout, session, QStringLiteral(".21%"), Currency::fromRaw(2100));
        } else if (year != 2021 && year != 2022 && ((year == 2018 && quarter > QStringLiteral("2")) || year >= 2019)) {
            showScuf(layout, session);
        }
        break;
    case StateItem::MassachusettsPFML:
        layout.Label3 = QStringLiteral("Y-T-D Wages");
        layout.Label5 = QStringLiteral("Wages This Quarter");
        layout.Label6 = QStringLiteral("Med %");
        layout.Label7 = QStringLiteral("Family %");
        break;
    default:
        break;
    }
    return layout;
}

} // namespace wagetrove
