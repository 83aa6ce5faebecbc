#pragma once

#include "common/dialogs.h"

namespace wagetrove::bench {

/// Answers nothing and remembers the last message, so that a failed run is reported.
class QuietDialogs : public Dialogs
{
public:
    QString lastMessage;

    Answer message(const QString& text, const QString&, MessageIcon, MessageButtons) override
    {
        lastMessage = text;
        return Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    void setBusy(bool) override {}
    bool openDocument(const QString&) override { return false; }
    bool hasProgramFor(const QString&) override { return false; }
};

} // namespace wagetrove::bench
