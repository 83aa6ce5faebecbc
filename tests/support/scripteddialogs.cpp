#include "tests/support/scripteddialogs.h"

namespace wagetrove::test {

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const DialogCall& call : m_calls) {
        if (call.kind == DialogCall::Kind::Message) {
            texts << call.text;
        }
    }
    return texts;
}

Answer ScriptedDialogs::message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons)
{
    m_calls.append({DialogCall::Kind::Message, text, title, icon, buttons, {}});
    if (!m_answers.empty()) {
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (buttons == MessageButtons::Ok) {
        return Answer::Ok;
    }
    m_unscripted << text;
    return Answer::Cancel;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title, const QString&)
{
    m_calls.append({DialogCall::Kind::Input, prompt, title, MessageIcon::None, MessageButtons::Ok, {}});
    if (m_inputs.empty()) {
        m_unscripted << prompt;
        return std::nullopt;
    }
    const bool answered = m_inputs.front().has_value();
    const QString text = m_inputs.front().value_or(QString());
    m_inputs.pop_front();
    return answered ? std::optional<QString>(text) : std::nullopt;
}

std::optional<QString> ScriptedDialogs::nextFile(DialogCall::Kind kind, const FileDialogRequest& request)
{
    m_calls.append({kind, request.title, request.proposedName, MessageIcon::None, MessageButtons::Ok, request.folder});
    if (m_files.empty()) {
        m_unscripted << request.title;
        return std::nullopt;
    }
    const bool chosen = m_files.front().has_value();
    const QString path = m_files.front().value_or(QString());
    m_files.pop_front();
    return chosen ? std::optional<QString>(path) : std::nullopt;
}

std::optional<QString> ScriptedDialogs::saveFile(const FileDialogRequest& request)
{
    return nextFile(DialogCall::Kind::SaveFile, request);
}

std::optional<QString> ScriptedDialogs::openFile(const FileDialogRequest& request)
{
    return nextFile(DialogCall::Kind::OpenFile, request);
}

void ScriptedDialogs::setBusy(bool busy)
{
    m_busyDepth += busy ? 1 : -1;
}

bool ScriptedDialogs::openDocument(const QString& pathOrAddress)
{
    m_calls.append({DialogCall::Kind::OpenDocument, pathOrAddress, {}, MessageIcon::None, MessageButtons::Ok, {}});
    return m_openSucceeds;
}

bool ScriptedDialogs::hasProgramFor(const QString& path)
{
    Q_UNUSED(path)
    return m_hasProgram;
}

bool ScriptedDialogs::progress(const QString& what, qint64 done, qint64)
{
    m_progressReported = done;
    return m_cancelAt < 0 || done < m_cancelAt || (!m_cancelWhat.isEmpty() && what != m_cancelWhat);
}

} // namespace wagetrove::test
