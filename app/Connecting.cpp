#include "app/Connecting.h"

#include <exception>

#include "app/Query.h"
#include "app/Settings.h"
#include "app/WindowText.h"
#include "base/ConnectionSecrets.h"
#include "base/Format.h"

TConnectOutcome ConnectAndRecordHistory(platform::TDatabase& database,
                                        const std::string& connectionText, TStrings& tables,
                                        const std::string& settingsPath, TStrings& history,
                                        const std::function<void(bool busy)>& busy) {
    TConnectOutcome outcome;
    if (Trim(connectionText).empty()) {
        outcome.Message = CodePageText("连接字符串不能为空。");
        return outcome;
    }
    outcome.Attempted = true;
    try {
        struct TBusyGuard {
            const std::function<void(bool)>& Busy;
            explicit TBusyGuard(const std::function<void(bool)>& busy) : Busy(busy) {
                if (Busy) Busy(true);
            }
            ~TBusyGuard() {
                if (Busy) Busy(false);
            }
        } guard(busy);
        ConnectDatabase(database, connectionText, tables);
    } catch (const std::exception& error) {
        outcome.Status = CodePageText("数据库连接失败");
        outcome.Message = CodePageText("数据库连接失败!原因:") +
                          MaskConnectionPasswords(error.what(), connectionText);
        return outcome;
    }
    outcome.Connected = true;
    outcome.Status = CodePageText("数据库连接成功!");
    AddToHistory(history, connectionText);
    try {
        WriteHistory(settingsPath, history);
    } catch (const std::exception& error) {
        outcome.Error = error.what();
    }
    return outcome;
}
