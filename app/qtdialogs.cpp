#include "app/qtdialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace wagetrove {
namespace {

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return Answer::Cancel;
    }
}

QFileDialog::Options fileOptions(const FileDialogRequest& request)
{
    return request.promptOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
}

/// The proposed name in the request's folder; a proposed name that is a path of its own is kept.
QString startPath(const FileDialogRequest& request)
{
    return request.folder.isEmpty() ? request.proposedName : QDir(request.folder).filePath(request.proposedName);
}

std::optional<QString> chosen(const QString& path)
{
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

/// The progress bar's range: totals of any size scale to it.
constexpr int kProgressSteps = 1000;
constexpr qint64 kProgressDelayMs = 500;

} // namespace

QWidget* QtDialogs::owner()
{
    return QApplication::activeWindow();
}

Answer QtDialogs::message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(toQt(iconOfKind(icon, buttons)), title, text, toQt(buttons), owner());
    if (buttons == MessageButtons::YesNoDefaultNo) {
        box.setDefaultButton(QMessageBox::No);
    }
    return fromQt(box.exec());
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& request)
{
    return chosen(QFileDialog::getSaveFileName(owner(), request.title, startPath(request), request.filter, nullptr,
                                               fileOptions(request)));
}

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& request)
{
    return chosen(QFileDialog::getOpenFileName(owner(), request.title, startPath(request), request.filter, nullptr,
                                               fileOptions(request)));
}

void QtDialogs::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool QtDialogs::openDocument(const QString& pathOrAddress)
{
    const QUrl url = QFileInfo::exists(pathOrAddress) ? QUrl::fromLocalFile(pathOrAddress) : QUrl(pathOrAddress);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtDialogs::progress(const QString& what, qint64 done, qint64 total)
{
    // Work done within half a second shows nothing, and nothing else runs meanwhile.
    if (!m_progressClock.isValid()) {
        m_progressClock.start();
    }
    if (!m_progress && m_progressClock.elapsed() < kProgressDelayMs) {
        return true;
    }
    if (!m_progress) {
        m_progress = std::make_unique<QProgressDialog>(what, QStringLiteral("Cancel"), 0, kProgressSteps, owner());
        m_progress->setObjectName(QStringLiteral("progress"));
        m_progress->setWindowTitle(kApplicationTitle);
        // Nothing else may be clicked while the work runs; the windows still repaint.
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        m_progress->show();
    }
    if (total > 0) {
        m_progress->setMaximum(kProgressSteps);
        m_progress->setValue(static_cast<int>(std::min(done, total) * kProgressSteps / total));
    } else {
        // No end known: a moving bar.
        m_progress->setMaximum(0);
        m_progress->setValue(0);
    }
    QApplication::processEvents();
    return !m_progress->wasCanceled();
}

void QtDialogs::endProgress()
{
    m_progress.reset();
    m_progressClock.invalidate();
}

bool QtDialogs::hasProgramFor(const QString& path)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt opens documents through the desktop's opener; without one, or without a program for the document's
    // type where the desktop can tell, nothing can show it.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
        return false;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
        return true;
    }
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QMimeDatabase().mimeTypeForFile(path).name()});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished();
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(path)
    return true;
#endif
}

} // namespace wagetrove
