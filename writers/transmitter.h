#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace wagetrove {

class Dialogs;
enum class StateItem;
struct Session;
struct TransmitterWindowBoxes;

/// A state file writer: writes the session's quarter to the path and returns true, or tells the user why it
/// could not and returns false. A writer that fails leaves no file behind.
using StateFileWriter = std::function<bool(Session&, Dialogs&, const QString& path)>;

/// How the transmitter window writes one state's file.
struct IcesaTarget
{
    QString dialogTitle;
    QString proposedName;
    StateFileWriter writer;
    QString successMessage; ///< empty for Texas while its instructions window is to show instead
};

/// Whether this release writes the state's file through the transmitter window.
bool hasTransmitterWriter(StateItem item);

/// The save dialog, writer and success message of the session's state, or nothing when this release has no
/// writer for it.
std::optional<IcesaTarget> icesaTargetFor(const Session& session);

/// The first empty or malformed transmitter box, as the message to show, or nothing when all are filled.
std::optional<QString> transmitterFieldProblem(const TransmitterWindowBoxes& boxes);

/// "Create File" of the transmitter window: checks the boxes, asks for the path, runs the state's writer and
/// reports. `showTexasInstructions` shows the instructions window after a Texas file. Returns true when the
/// window is to close (the file was written); false leaves it open with the values as entered.
bool CreateTransmitterFile(Session& session, Dialogs& dialogs, const std::function<void()>& showTexasInstructions);

/// The Texas instructions window's OK: remembers "Don't show this screen again" in the settings file.
void closeTexasInstructions(Session& session, Dialogs& dialogs, bool dontShowAgain);

} // namespace wagetrove
