#include "app/createfile.h"

#include "app/session.h"
#include "app/statecatalogue.h"
#include "totals/prefilingvalidation.h"
#include "writers/transmitter.h"

namespace wagetrove {

bool isCreateFileOffered(StateItem item)
{
    return hasTransmitterWriter(item);
}

void CreateFileCommand(Session& session, Dialogs& dialogs, const std::function<void()>& showTransmitterWindow)
{
    session.ChecksPassed = false;
    PreFilingValidation(session, dialogs);
    if (session.ChecksPassed && hasTransmitterWriter(stateAt(session.StatePosition).item())) {
        showTransmitterWindow();
    }
    session.Store.close();
}

} // namespace wagetrove
