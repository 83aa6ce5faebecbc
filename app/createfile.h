#pragma once

#include "writers/transmitter.h"

#include <QString>

#include <functional>
#include <optional>

namespace wagetrove {

class Dialogs;
enum class StateItem;
struct Session;

/// How Create File writes the file of a state filed straight from the main window.
struct MainWindowTarget
{
    QString dialogTitle;
    QString proposedName;
    StateFileWriter writer;
    QString successMessage;
    bool pathInMessage = false;  ///< the success message starts with the path written
    bool openAfterwards = false; ///< the file written is then opened with the system's program for it
};

/// The save dialog, writer and success message of the session's state when its file is written from the main
/// window (Massachusetts Quest and PFML, Connecticut, Washington); nothing for the others.
std::optional<MainWindowTarget> mainWindowTargetFor(const Session& session);

/// Whether this release writes the state's file, so that Create File is offered for it.
bool isCreateFileOffered(StateItem item);

/// Asks before filing the wages loaded for one state under another state's layout; true to go on. No question
/// when the wages were loaded for the session's state or none were loaded in this process.
bool confirmOtherState(const Session& session, Dialogs& dialogs);

/// Create File: asks first when the wages were loaded for another state, then runs the checks before filing and, when
/// they find nothing, hands over to the state's writer (through `showTransmitterWindow` for the states filed with an
/// ICESA transmitter file). The store the checks opened is closed again whatever happens.
void CreateFileCommand(Session& session, Dialogs& dialogs, const std::function<void()>& showTransmitterWindow);

} // namespace wagetrove
