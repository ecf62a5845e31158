// The window's UI-free helpers: save names and bytes, the error text rule, the repaint
// throttle, connection texts, and reading a result's cells without moving its row.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/ConnectionText.h"
#include "app/RepaintThrottle.h"
#include "app/ScriptFile.h"
#include "app/WindowText.h"
#include "base/Exception.h"
#include "tests/app/TestResults.h"
#include "tests/common/TestFiles.h"

using namespace testing_support;

TEST(ScriptFileTest, DefaultExtensionOnlyForNamesWithoutOne) {
    struct Case {
        const char* chosen;
        const char* target;
    } cases[] = {
        {"a", "a.sql"},
        {"a.sql", "a.sql"}, // the dialog already completed it: no "a.sql.sql"
        {"a.txt", "a.txt"},
        {"/tmp/dir.v2/script", "/tmp/dir.v2/script.sql"},
        {"/tmp/.hidden", "/tmp/.hidden.sql"},
        {"a.", "a.sql"},
        {"folder/b.SQL", "folder/b.SQL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptTargetName(c.chosen, "sql"), c.target) << c.chosen;
}

TEST(ScriptFileTest, WritesTheBytesInTheChosenEncodingOrSaysWhyItCannot) {
    TempFolder folder;
    std::string text =
        CodePageText("-- 导出表中的数据 `t`\r\n\r\nINSERT INTO `t` (`a`) VALUES \r\n('€');\r\n");
    std::string path = folder.Path() + "/out.sql";
    WriteBytes(path, std::string(5000, 'x')); // replaced, not appended to
    SaveScriptText(path, text, TDialect::dMssql, TScriptEncoding::GB18030);
    EXPECT_EQ(ReadBytes(path), text);
    // A mysql file declares its encoding on a line of its own, before the script.
    SaveScriptText(path, text, TDialect::dMysql, TScriptEncoding::GB18030);
    EXPECT_EQ(ReadBytes(path), "/*!40101 SET NAMES gbk */;\r\n" + text);
    SaveScriptText(path, text, TDialect::dMysql, TScriptEncoding::Utf8);
    EXPECT_EQ(ReadBytes(path),
              "/*!40101 SET NAMES utf8mb4 */;\r\n"
              "-- 导出表中的数据 `t`\r\n\r\nINSERT INTO `t` (`a`) VALUES \r\n('€');\r\n");

    std::string missing = folder.Path() + "/no/such/目录.sql";
    try {
        SaveScriptText(missing, text, TDialect::dMysql, TScriptEncoding::GB18030);
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), CodePageText("Cannot create file \"" + missing +
                                                "\". No such file or directory"));
    }
    EXPECT_THROW(SaveScriptText("/dev/full", text, TDialect::dMssql, TScriptEncoding::GB18030),
                 EWriteError);
}

TEST(WindowTextTest, FullStopOnlyAfterTextThatSortsAfterIt) {
    EXPECT_EQ(ErrorDisplayText("Field 'SEL' not found"), "Field 'SEL' not found.");
    EXPECT_EQ(ErrorDisplayText("Cannot create file \"a.sql\". No such file"),
              "Cannot create file \"a.sql\". No such file.");
    EXPECT_EQ(ErrorDisplayText("value 'x'"), "value 'x'");
    EXPECT_EQ(ErrorDisplayText("Unable to write to /x/config.ini"),
              "Unable to write to /x/config.ini.");
    EXPECT_EQ(ErrorDisplayText("Done."), "Done.");
    EXPECT_EQ(ErrorDisplayText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorDisplayText("code 42"), "code 42.");
    EXPECT_EQ(ErrorDisplayText("a-"), "a-");
    EXPECT_EQ(ErrorDisplayText(CodePageText("连接失败")), CodePageText("连接失败."));
    EXPECT_EQ(ErrorDisplayText(""), "");
}

TEST(RepaintThrottleTest, LetsAtMostOnePaintThroughPerInterval) {
    uint64_t now = 1000;
    TRepaintThrottle throttle([&now] { return now; }, 30);
    EXPECT_TRUE(throttle.Due()); // the first row shows at once
    int through = 0;
    for (int row = 0; row < 10000; ++row) { // a row every 0.1 ms: 1 s in all
        if (row % 10 == 0) ++now;
        if (throttle.Due()) ++through;
    }
    EXPECT_EQ(through, 1000 / 30);
    EXPECT_EQ(throttle.PaintsLetThrough(), through + 1);
    now += 500; // slow rows: every one paints
    EXPECT_TRUE(throttle.Due());
    now += 29;
    EXPECT_FALSE(throttle.Due());
    now += 1;
    EXPECT_TRUE(throttle.Due());
}

TEST(ConnectionTextTest, ComposesForTheInstalledDriversAndReadsTextsBack) {
    TConnectionFields mysql;
    mysql.Kind = TConnectionKind::MySql;
    mysql.Server = "db.local";
    mysql.Port = "3307";
    mysql.Database = "shop";
    mysql.User = "ann";
    mysql.Password = "p;w}d";
    std::string text = ComposeConnectionString(mysql);
    EXPECT_EQ(
        text,
        "Driver={MariaDB Unicode};Server=db.local;Port=3307;Database=shop;UID=ann;PWD={p;w}}d}");
    TConnectionFields back = ParseConnectionString(text);
    EXPECT_EQ(back.Kind, TConnectionKind::MySql);
    EXPECT_EQ(back.Server, "db.local");
    EXPECT_EQ(back.Port, "3307");
    EXPECT_EQ(back.Database, "shop");
    EXPECT_EQ(back.User, "ann");
    EXPECT_EQ(back.Password, "p;w}d");

    TConnectionFields sqlite;
    sqlite.Kind = TConnectionKind::SQLite;
    sqlite.Database = "/data/demo.db";
    EXPECT_EQ(ComposeConnectionString(sqlite), "Driver=SQLite3;Database=/data/demo.db");
    EXPECT_EQ(ParseConnectionString("Driver=SQLite3;Database=/data/demo.db").Kind,
              TConnectionKind::SQLite);

    TConnectionFields oledb = ParseConnectionString(
        "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=sa;"
        "Initial Catalog=erp;Data Source=10.0.0.5,1434");
    EXPECT_EQ(oledb.Kind, TConnectionKind::SqlServer);
    EXPECT_EQ(oledb.Server, "10.0.0.5");
    EXPECT_EQ(oledb.Port, "1434");
    EXPECT_EQ(oledb.Database, "erp");
    EXPECT_EQ(oledb.User, "sa");
    EXPECT_EQ(oledb.Password, "secret");
    EXPECT_EQ(ComposeConnectionString(oledb),
              "Driver={FreeTDS};Server=10.0.0.5;Port=1434;Database=erp;UID=sa;PWD=secret");
    EXPECT_EQ(ParseConnectionString("").Server, "127.0.0.1");
}

TEST(ResultSetCellTest, CellFieldsReadAnyRowWithoutMovingTheCurrentOne) {
    TResultSet result;
    result.LoadPacket(
        MakePacket({IntegerSel({0, 1, 5}), TestColumn{"name",
                                                      TFieldType::ftString,
                                                      TValueStorage::Bytes,
                                                      {Bytes("a"), Null(), Bytes("c")}}}));
    int moves = 0;
    result.OnChange = [&moves](TResultSetChange change) {
        moves += change == TResultSetChange::Scrolled;
    };
    result.SetRecNo(2);
    moves = 0;
    EXPECT_EQ(result.CellField(1, 0).AsString(), "a");
    EXPECT_TRUE(result.CellField(1, 1).IsNull());
    EXPECT_EQ(result.CellField(1, 2).DisplayText(), "c");
    EXPECT_EQ(result.CellField(0, 2).AsInteger(), 5);
    EXPECT_EQ(result.RecNo(), 2);
    EXPECT_EQ(moves, 0);
    EXPECT_THROW(result.CellField(2, 0), EDatabaseError);
}
