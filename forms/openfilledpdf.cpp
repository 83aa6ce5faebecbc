#include "forms/openfilledpdf.h"

#include "app/session.h"
#include "common/dialogs.h"

#include <QDir>
#include <QFile>

namespace wagetrove {

void CheckAcrobatRunning(Session& session, Dialogs& dialogs, const QStringList& windowTitles)
{
    for (const QString& title : windowTitles) {
        if (title.left(14) == QLatin1String("Acrobat Reader")) {
            session.AcrobatRunning = true;
            break;
        }
    }
    if (session.AcrobatRunning) {
        dialogs.message(
            QStringLiteral("Acrobat Reader is running. Please exit Acrobat Reader so Pagewise can display your form. "),
            kApplicationTitle);
    }
}

void RemoveFilledInPages(const QString& dataFolder, const QString& keptName)
{
    const QDir folder(dataFolder);
    // Without QDir::CaseSensitive the pattern matches regardless of case on every platform.
    for (const QString& name : folder.entryList({QStringLiteral("FilledIn*.pdf")}, QDir::Files)) {
        if (name.compare(keptName, Qt::CaseInsensitive) != 0) {
            QFile::remove(folder.filePath(name));
        }
    }
}

void OpenFilledPdf(Session& session, Dialogs& dialogs, const QString& fileName, const QStringList& windowTitles)
{
    session.AcrobatRunning = false;
    CheckAcrobatRunning(session, dialogs, windowTitles);
    if (session.AcrobatRunning) {
        return;
    }
    RemoveFilledInPages(session.DataFolder, fileName);
    const QString document = session.DataFolderShort + fileName;
    if (!dialogs.hasProgramFor(document)) {
        dialogs.message(
            QStringLiteral("Could not find the Free Acrobat Reader. Please install the Free Acrobat Reader. The "
                           "Tarrow CD includes the FREE Reader. The name of the file to install is ar500enu.exe. If "
                           "after installing Acrobat Reader you still get this message, then manually start Acrobat "
                           "Reader and go into the Tarrow folder and open up the appropriate file that starts with "
                           "FilledIn*.pdf depending on what form you are running."),
            QStringLiteral("Acrobat Reader not found"), MessageIcon::Exclamation);
        return;
    }
    if (!dialogs.openDocument(document)) {
        dialogs.message(QStringLiteral("Could not start Acrobat Reader"), QStringLiteral("Acrobat not started"),
                        MessageIcon::Exclamation);
    }
}

} // namespace wagetrove
