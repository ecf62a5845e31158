// Connecting from the window: open the connection, list its tables, record the history, and
// say what the status bar and the message boxes should show.
#pragma once

#include <functional>
#include <string>

#include "base/Strings.h"
#include "platform/Database.h"

// What one connect attempt leaves for the window to show. Texts are in the code page.
struct TConnectOutcome {
    bool Attempted = false; // false: the text was blank and only Message is set
    bool Connected = false; // the connection is open and the table list filled
    std::string Status;     // status panel 0; empty when it stays as it is
    std::string Message;    // a plain message; empty for none
    std::string Error;      // for the default error display; empty for none
};

// Connects with connectionText exactly as typed and fills tables. On success the text joins
// history at the top (AddToHistory) and history is written to settingsPath. A history
// that cannot be written does not undo an open connection: the outcome is connected, with the
// write error in Error. busy(true/false) brackets the wait for the server.
TConnectOutcome ConnectAndRecordHistory(platform::TDatabase& database,
                                        const std::string& connectionText, TStrings& tables,
                                        const std::string& settingsPath, TStrings& history,
                                        const std::function<void(bool busy)>& busy = {});
