#include "app/about.h"

#include "app/session.h"
#include "app/startup.h"
#include "common/dialogs.h"

#include <QDir>

namespace wagetrove {

const QString kAboutTitle = QStringLiteral("About Wagetrove");

QString aboutText(const Session& session)
{
    QString folder = QDir::toNativeSeparators(session.DataFolder);
    if (folder.size() > 1 && folder.endsWith(QDir::separator())) {
        folder.chop(1);
    }
    return QStringLiteral("%1\n\n"
                          "Data folder: %2\n"
                          "It holds your wage store, settings and workbook templates. Uninstalling Wagetrove leaves "
                          "it in place.\n\n"
                          "Copyright 2026 The Wagetrove developers. All rights reserved.\n"
                          "Wagetrove is proprietary software: it may be copied, modified or distributed only with "
                          "the written permission of its copyright holders.")
        .arg(applicationCaption(), folder);
}

void AboutCommand(const Session& session, Dialogs& dialogs)
{
    dialogs.message(aboutText(session), kAboutTitle, MessageIcon::Information);
}

} // namespace wagetrove
