#pragma once

#include <QString>

namespace wagetrove {

struct Session;

/// The window's caption: the text as the users of the program know it.
inline const QString kTotalsWindowCaption = QStringLiteral("Quarterl y Unemployment Totals");

/// The captions and visibility of the totals window's labels and boxes for one state and period. The box texts
/// the layout sets (the Kentucky surcharge lines) go into the session's totals boxes.
struct TotalsLayout
{
    QString Label1 = QStringLiteral("State Unemployment Totals");
    QString Label2 = QStringLiteral("Total Employees");
    QString Label3 = QStringLiteral("Total Wages");
    QString Label4; ///< the period line
    QString Label5 = QStringLiteral("Taxable Wages");
    QString Label6 = QStringLiteral("Rate");
    QString Label7 = QStringLiteral("Tax Due");
    QString Label8 = QStringLiteral("Month 1");
    QString Label9 = QStringLiteral("Month 2");
    QString Label10 = QStringLiteral("Month 3");
    QString Label11 = QStringLiteral("EIN");
    QString Label12 = QStringLiteral("State ID");
    QString Label13 = QStringLiteral("County Code ");
    QString Label14 = QStringLiteral("Out Side County");
    QString Label15 = QStringLiteral("SWH Wages");
    QString Label16 = QStringLiteral("SWH Amount");

    bool countyVisible = false;      ///< Label13 and Text10
    bool outOfCountyVisible = false; ///< Label14 and Text11
    bool withholdingVisible = false; ///< Label15, Label16, Text12 and Text13
    bool text10Enabled = true;       ///< off for Kentucky, where Text10 shows the computed modified rate
};

/// Lays the totals window out for the session's state and period, with the main window's From and To box texts
/// on the period line. Every label starts from its design caption, so nothing of an earlier state's layout
/// stays behind.
TotalsLayout ShowTotalsWindowLayout(Session& session, const QString& fromBox, const QString& toBox);

} // namespace wagetrove
