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

namespace {

/// The next scripted answer; `none` when the script has run out.
template <typename T>
T next(std::deque<T>& answers, T none)
{
    if (answers.empty()) {
        return none;
    }
    const T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

Answer ScriptedDialogs::message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons)
{
    m_calls.append({DialogCall::Kind::Message, text, title, icon, buttons, {}});
    return next(m_answers, buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel);
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title, const QString&)
{
    m_calls.append({DialogCall::Kind::Input, prompt, title, MessageIcon::None, MessageButtons::Ok, {}});
    return next(m_inputs, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::nextFile(DialogCall::Kind kind, const FileDialogRequest& request)
{
    m_calls.append({kind, request.title, request.proposedName, MessageIcon::None, MessageButtons::Ok, request.folder});
    return next(m_files, std::optional<QString>());
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

bool ScriptedDialogs::hasProgramFor(const QString&)
{
    return m_hasProgram;
}

bool ScriptedDialogs::progress(const QString& what, qint64 done, qint64)
{
    m_progressReported = done;
    return m_cancelAt < 0 || done < m_cancelAt || (!m_cancelWhat.isEmpty() && what != m_cancelWhat);
}

} // namespace wagetrove::test
