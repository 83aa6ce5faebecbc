#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// The blank wage listing form in the program's folder.
inline const QString kBlankWageListingName = QStringLiteral("BlankWL.pdf");
/// The filled listing in the data folder; its pages are FilledInWL1.pdf, FilledInWL2.pdf, … beside it.
inline const QString kFilledWageListingName = QStringLiteral("FilledInWL.pdf");

/// The employee lines a page of the form holds.
constexpr int kWageListingLinesPerPage = 17;

/// Fills the wage listing form with the quarter's employees in name order, 17 to a page, every page with the
/// employer block, its own totals and "Page N of M", and writes the pages into one PDF at `resultPath` (a
/// one-page listing straight, more pages through their page files in the data folder). Shows what stopped it
/// and returns false; an existing file at `resultPath` is then left as it was.
bool FillWageListing(Session& session, Dialogs& dialogs, const QString& resultPath);

} // namespace wagetrove
