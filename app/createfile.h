#pragma once

#include <functional>

namespace wagetrove {

class Dialogs;
enum class StateItem;
struct Session;

/// Whether this release writes the state's file, so that Create File is offered for it.
bool isCreateFileOffered(StateItem item);

/// Create File: runs the checks before filing and, when they find nothing, hands over to the state's writer
/// (through `showTransmitterWindow` for the states filed with an ICESA transmitter file). The store the checks
/// opened is closed again whatever happens.
void CreateFileCommand(Session& session, Dialogs& dialogs, const std::function<void()>& showTransmitterWindow);

} // namespace wagetrove
