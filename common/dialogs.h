#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace wagetrove {

/// The title every message box of the program carries unless a message names its own.
inline const QString kApplicationTitle = QStringLiteral("Wagetrove");

enum class MessageIcon
{
    None,
    Information,
    Question,
    Exclamation,
    Critical,
};

enum class MessageButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoDefaultNo, ///< Yes and No with No the default, for a question whose Yes is hard to undo
    YesNoCancel,
    RetryCancel,
};

enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No,
    Retry,
};

/// The icon a message box shows: its own, or for a message that names none the icon of its kind, a question
/// for one that asks Yes or No, a warning for one that offers a retry, information for the rest.
inline MessageIcon iconOfKind(MessageIcon icon, MessageButtons buttons)
{
    if (icon != MessageIcon::None) {
        return icon;
    }
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
    case MessageButtons::YesNoCancel:
        return MessageIcon::Question;
    case MessageButtons::RetryCancel:
        return MessageIcon::Exclamation;
    default:
        return MessageIcon::Information;
    }
}

/// What a save or open dialog is set up with. Cancelling is an answer (an empty optional), never an exception.
struct FileDialogRequest
{
    QString title;
    QString proposedName; ///< file name or full path proposed to the user
    QString filter;       ///< e.g. "Text Files (*.txt)"; empty for all files
    bool promptOverwrite = true;
    QString folder; ///< where the dialog opens when the proposed name has no folder; empty for the default
};

/// Every message box, input box, file dialog, hourglass and "open this document" of the program goes through
/// this interface, so that no core function opens a widget. The GUI shows Qt dialogs, the command line answers
/// from its arguments, and tests answer from a script.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual Answer message(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None,
                           MessageButtons buttons = MessageButtons::Ok) = 0;
    /// Returns the typed text, or nothing when the user cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText = {}) = 0;
    /// Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    /// Shows or hides the hourglass. Calls nest: every `true` is matched by one `false`.
    virtual void setBusy(bool busy) = 0;
    /// Opens a document or a web address with the system's program; false when none could be started.
    virtual bool openDocument(const QString& pathOrAddress) = 0;
    /// Whether the system has a program to open the document with.
    virtual bool hasProgramFor(const QString& path) = 0;
    /// Long work says how far it has come: `done` of `total` steps, `total` 0 when not known. The desktop
    /// program shows a progress window with Cancel once the work has taken half a second, and keeps its windows
    /// painted meanwhile. False means the user cancelled: the work stops, leaving nothing half-done.
    virtual bool progress(const QString& what, qint64 done, qint64 total)
    {
        Q_UNUSED(what)
        Q_UNUSED(done)
        Q_UNUSED(total)
        return true;
    }
    /// The long work has ended: its progress window goes.
    virtual void endProgress() {}
};

/// Counts the steps of a long piece of work, tells the dialogs every few hundred, and ends their progress
/// window with the work.
class ProgressScope
{
public:
    ProgressScope(Dialogs& dialogs, QString what, qint64 total = 0)
        : m_dialogs(dialogs), m_what(std::move(what)), m_total(total)
    {
        // The half second before the progress window shows counts from here.
        m_dialogs.progress(m_what, 0, m_total);
    }
    ~ProgressScope() { m_dialogs.endProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void setTotal(qint64 total) { m_total = total; }
    /// Reports `done` of `total` at once, for work counted in large steps; false once the user has cancelled.
    bool report(qint64 done, qint64 total)
    {
        m_done = done;
        m_total = total;
        return m_dialogs.progress(m_what, done, total);
    }
    /// One more step done; false once the user has cancelled.
    bool step()
    {
        ++m_done;
        return (m_done & (kStepsPerReport - 1)) != 0 || m_dialogs.progress(m_what, m_done, m_total);
    }

private:
    static constexpr qint64 kStepsPerReport = 256;

    Dialogs& m_dialogs;
    QString m_what;
    qint64 m_total;
    qint64 m_done = 0;
};

/// Shows the hourglass for the lifetime of the object.
class BusyScope
{
public:
    explicit BusyScope(Dialogs& dialogs) : m_dialogs(dialogs) { m_dialogs.setBusy(true); }
    ~BusyScope() { m_dialogs.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Dialogs& m_dialogs;
};

} // namespace wagetrove
