#pragma once

#include "common/dialogs.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <memory>

class QWidget;

namespace wagetrove {

/// The Dialogs of the desktop program: Qt's message boxes, input and file dialogs, the wait cursor and the
/// system's programs for documents and addresses.
class QtDialogs : public Dialogs
{
public:
    Answer message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    void setBusy(bool busy) override;
    bool openDocument(const QString& pathOrAddress) override;
    bool hasProgramFor(const QString& path) override;
    bool progress(const QString& what, qint64 done, qint64 total) override;
    void endProgress() override;

private:
    static QWidget* owner();

    std::unique_ptr<QProgressDialog> m_progress;
    QElapsedTimer m_progressClock; ///< since the long work's first report
};

} // namespace wagetrove
