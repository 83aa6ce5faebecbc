#pragma once

#include "common/dialogs.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace wagetrove::test {

/// One call the code under test made to the Dialogs interface.
struct DialogCall
{
    enum class Kind
    {
        Message,
        Input,
        SaveFile,
        OpenFile,
        OpenDocument,
    };
    Kind kind;
    QString text;  ///< message text, input prompt, file dialog title, or the document opened
    QString title; ///< message or input title; the proposed name for file dialogs
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    QString folder; ///< where a file dialog opens
};

/// Dialogs for tests: records every call and answers from a script. A message with only an OK button is
/// answered OK; any other question without a scripted answer is cancelled.
class ScriptedDialogs : public Dialogs
{
public:
    void answerNext(Answer answer) { m_answers.push_back(answer); }
    void inputNext(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void fileNext(std::optional<QString> path) { m_files.push_back(std::move(path)); }
    void setOpenDocumentSucceeds(bool succeeds) { m_openSucceeds = succeeds; }
    void setHasProgram(bool has) { m_hasProgram = has; }

    const QList<DialogCall>& calls() const { return m_calls; }
    /// The texts of the message boxes shown, in order.
    QStringList messages() const;
    int busyDepth() const { return m_busyDepth; }
    /// Long work reports its steps; the report at or after `step` (of the work called `what`, or of any work)
    /// answers that the user cancelled.
    void cancelProgressAt(qint64 step, const QString& what = {})
    {
        m_cancelAt = step;
        m_cancelWhat = what;
    }
    qint64 progressReported() const { return m_progressReported; }
    void clear() { m_calls.clear(); }

    Answer message(const QString& text, const QString& title, MessageIcon icon, MessageButtons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    void setBusy(bool busy) override;
    bool openDocument(const QString& pathOrAddress) override;
    bool hasProgramFor(const QString& path) override;
    bool progress(const QString& what, qint64 done, qint64 total) override;

private:
    std::optional<QString> nextFile(DialogCall::Kind kind, const FileDialogRequest& request);

    QList<DialogCall> m_calls;
    std::deque<Answer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_files;
    bool m_openSucceeds = true;
    bool m_hasProgram = true;
    int m_busyDepth = 0;
    qint64 m_cancelAt = -1;
    QString m_cancelWhat;
    qint64 m_progressReported = 0;
};

} // namespace wagetrove::test
