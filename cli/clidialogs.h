#pragma once

#include "common/dialogs.h"

#include <QList>
#include <QString>
#include <QTextStream>

#include <optional>

namespace wagetrove {

/// A message the program showed, as the command line reports it.
struct ShownMessage
{
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
};

/// The Dialogs of wagetrove-cli: messages go to standard error with their title and are kept for --json; file
/// dialogs and the input box are answered from the command line. A question the command line does not answer
/// is recorded as an error and answered with Cancel (or No), so that nothing ever waits for a keyboard.
class CliDialogs : public Dialogs
{
public:
    explicit CliDialogs(QTextStream& errors);

    /// The open dialog's answer and the option that gave it.
    void answerOpenFile(const QString& path, const QString& option);
    /// The save dialog's answer: the path itself, or with `isFolder` the proposed name inside that folder.
    void answerSaveFile(const QString& path, bool isFolder, const QString& option);
    /// The answer to the input box with this title, given with `option`; without one the box goes unanswered
    /// and the error names the option.
    void answerInput(const QString& title, const std::optional<QString>& text, const QString& option);

    Answer message(const QString& text, const QString& title, MessageIcon icon = MessageIcon::None,
                   MessageButtons buttons = MessageButtons::Ok) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText = {}) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    void setBusy(bool busy) override;
    bool openDocument(const QString& pathOrAddress) override;
    bool hasProgramFor(const QString& path) override;

    const QList<ShownMessage>& messages() const { return m_messages; }
    /// Why a question went without a usable answer, one line each.
    const QStringList& unanswered() const { return m_unanswered; }
    /// The path the save dialog was answered with, once it was asked.
    const std::optional<QString>& savedPath() const { return m_savedPath; }
    /// The name the save dialog proposed, once it was asked.
    const std::optional<QString>& proposedName() const { return m_proposedName; }
    /// How many messages had been shown when the save dialog was answered.
    qsizetype messagesBeforeSave() const { return m_messagesBeforeSave; }

private:
    struct Reply
    {
        QString key; ///< the input box's title; empty for the file dialogs
        std::optional<QString> text;
        QString option;
        bool isFolder = false;
        bool used = false;
    };

    /// The reply once; asked again (the program refused it) or never given, the question goes unanswered.
    std::optional<QString> take(std::optional<Reply>& reply, const QString& question);

    QTextStream& m_errors;
    QList<ShownMessage> m_messages;
    QStringList m_unanswered;
    std::optional<Reply> m_openReply;
    std::optional<Reply> m_saveReply;
    std::optional<Reply> m_inputReply;
    std::optional<QString> m_savedPath;
    std::optional<QString> m_proposedName;
    qsizetype m_messagesBeforeSave = 0;
};

} // namespace wagetrove
