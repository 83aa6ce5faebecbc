#include "cli/clidialogs.h"

#include <QDir>
#include <QFileInfo>

namespace wagetrove {
namespace {

/// The message box's lines as a terminal shows them.
QString asLines(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

/// The answer that backs out of a question with these buttons.
Answer refusal(MessageButtons buttons)
{
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo ? Answer::No : Answer::Cancel;
}

} // namespace

CliDialogs::CliDialogs(QTextStream& errors) : m_errors(errors) {}

void CliDialogs::answerOpenFile(const QString& path, const QString& option)
{
    m_openReply = Reply{QString(), path, option, false, false};
}

void CliDialogs::answerSaveFile(const QString& path, bool isFolder, const QString& option)
{
    m_saveReply = Reply{QString(), path, option, isFolder, false};
}

void CliDialogs::answerInput(const QString& title, const std::optional<QString>& text, const QString& option)
{
    m_inputReply = Reply{title, text, option, false, false};
}

Answer CliDialogs::message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons)
{
    m_messages.append({title, text, icon});
    m_errors << title << QLatin1String(": ") << asLines(text) << Qt::endl;
    if (buttons == MessageButtons::Ok) {
        return Answer::Ok;
    }
    m_unanswered.append(QStringLiteral("The question \"%1\" cannot be answered from the command line.").arg(text));
    return refusal(buttons);
}

std::optional<QString> CliDialogs::take(std::optional<Reply>& reply, const QString& question)
{
    if (!reply) {
        m_unanswered.append(QStringLiteral("\"%1\" needs an answer on the command line.").arg(question));
        return std::nullopt;
    }
    if (!reply->text) {
        m_unanswered.append(QStringLiteral("\"%1\" needs an answer on the command line: give it with %2.")
                                .arg(question, reply->option));
        return std::nullopt;
    }
    if (reply->used) {
        // The program asks again only when it refused the answer; asking forever would hang a script.
        m_unanswered.append(QStringLiteral("The answer %1 \"%2\" was not accepted for \"%3\".")
                                .arg(reply->option, *reply->text, question));
        return std::nullopt;
    }
    reply->used = true;
    return reply->text;
}

std::optional<QString> CliDialogs::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    Q_UNUSED(defaultText)
    if (m_inputReply && m_inputReply->key != title) {
        std::optional<Reply> none;
        return take(none, title + QLatin1String(": ") + prompt);
    }
    return take(m_inputReply, title + QLatin1String(": ") + prompt);
}

std::optional<QString> CliDialogs::saveFile(const FileDialogRequest& request)
{
    m_proposedName = QFileInfo(request.proposedName).fileName();
    m_messagesBeforeSave = m_messages.size();
    std::optional<QString> answer = take(m_saveReply, request.title);
    if (answer && m_saveReply->isFolder) {
        answer = QDir(*answer).filePath(*m_proposedName);
    }
    m_savedPath = answer;
    return answer;
}

std::optional<QString> CliDialogs::openFile(const FileDialogRequest& request)
{
    return take(m_openReply, request.title);
}

void CliDialogs::setBusy(bool busy)
{
    Q_UNUSED(busy)
}

bool CliDialogs::openDocument(const QString& pathOrAddress)
{
    // Nothing is opened for a script; the path is reported instead, and that is no failure of the run.
    m_errors << QLatin1String("Not opened: ") << pathOrAddress << Qt::endl;
    return true;
}

bool CliDialogs::hasProgramFor(const QString& path)
{
    Q_UNUSED(path)
    return true;
}

} // namespace wagetrove
