// The window's connect attempt: what its message boxes show when the connection fails.
#include <gtest/gtest.h>

#include <string>

#include "app/Connecting.h"
#include "base/Exception.h"

namespace {

// A driver that answers with the connection text it was given, as some do.
class TEchoingDatabase : public platform::TDatabase {
public:
    void SetConnectionString(const std::string& text) override { FText = text; }
    std::string ConnectionString() const override { return FText; }
    void Open() override { throw EDatabaseError("Invalid connection string: " + FText); }
    void Close() override {}
    bool Connected() const override { return false; }
    void GetTableNames(TStrings&) override {}
    TDataPacket OpenQuery(const std::string&) override { return {}; }
    int64_t ExecuteCommand(const std::string&) override { return 0; }

private:
    std::string FText;
};

TEST(Connecting, FailureMessagesHidePasswords) {
    const std::pair<std::string, std::string> cases[] = {
        {"Driver={MariaDB Unicode};Server=h;UID=u;PWD=s3cr3t-pw", "s3cr3t-pw"},
        {"Driver={MariaDB Unicode};pwd={a;b}}c};Server=h", "a;b}c"},
        {"Provider=SQLOLEDB;Password=\"x;yz\"\"w\";Data Source=h", "x;yz\"w"},
        {"Provider=MSDASQL;Extended Properties=\"DSN=d;Password=q=r;st;UV\"", "q=r;st;UV"},
    };
    for (const auto& [text, password] : cases) {
        TEchoingDatabase database;
        TStringList tables, history;
        TConnectOutcome outcome =
            ConnectAndRecordHistory(database, text, tables, "/nonexistent/x.ini", history);
        EXPECT_FALSE(outcome.Connected);
        EXPECT_NE(outcome.Message.find("Invalid connection string: "), std::string::npos)
            << outcome.Message;
        for (size_t start = 0; start < password.size(); ++start)
            for (size_t length = 3; start + length <= password.size(); ++length)
                EXPECT_EQ(outcome.Message.find(password.substr(start, length)), std::string::npos)
                    << outcome.Message;
    }
}

} // namespace
