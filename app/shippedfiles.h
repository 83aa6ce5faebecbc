#pragma once

#include <QString>

namespace wagetrove {

/// The folder holding the files that ship with the program (the empty wage store, the workbook templates, the
/// blank wage listing form, the demo company), found from `programFolder`, the folder of the running program:
/// the installed layout's share/wagetrove beside the program's bin folder when it holds the store template,
/// otherwise the program's own folder, where the build puts them. Without a trailing separator.
QString shippedFilesFolder(const QString& programFolder);

} // namespace wagetrove
