#include "app/savefolder.h"

#include "app/session.h"
#include "app/settings.h"

#include <QDir>
#include <QFileInfo>

namespace wagetrove {
namespace {

/// The longest value the settings file gives back whole.
constexpr qsizetype kLongestSetting = 127;

} // namespace

QString stateFileFolder(const Session& session)
{
    if (!session.SaveFolder.isEmpty() && QFileInfo(session.SaveFolder).isDir()) {
        return session.SaveFolder;
    }
    return session.DocumentsFolder;
}

void rememberStateFile(Session& session, const QString& path)
{
    const QFileInfo written(path);
    session.WrittenFile = written.absoluteFilePath();
    const QString folder = written.absolutePath();
    if (!session.RemembersSaveFolder || folder == session.SaveFolder) {
        return;
    }
    session.SaveFolder = folder;
    // Where the folder is kept is a convenience: a settings file that cannot take it costs the next run's dialog
    // its starting folder, never the file just written, so it is not worth a message.
    if (folder.size() <= kLongestSetting) {
        WriteSetting(session, settingkeys::kSaveFolder, QDir::toNativeSeparators(folder));
    }
}

} // namespace wagetrove
