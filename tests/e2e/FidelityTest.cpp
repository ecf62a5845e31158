// The product's promise: a script exported from a table, run by the mariadb client into an
// empty copy of it, gives back every value exactly.
#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "app/Dialect.h"
#include "base/Format.h"
#include "platform/CodePage.h"
#include "tests/common/ExportGrid.h"
#include "tests/common/TestFiles.h"
#include "tests/e2e/Run.h"
#include "tests/integration/TestServer.h"

namespace {

using e2e::RunProgram;
using namespace testing_support;
using testserver::Env;

const std::string kQuorvel = QUORVEL_EXECUTABLE;

std::string CP(const std::string& utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

class TFidelityTest : public testserver::TMariaDbTest {
protected:
    void SetUp() override {
        TMariaDbTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        FCopy = DatabaseName() + "_copy";
        Admin->ExecuteCommand("DROP DATABASE IF EXISTS `" + FCopy + "`");
        Admin->ExecuteCommand("CREATE DATABASE `" + FCopy + "` CHARACTER SET utf8mb4");
        FScript = "/tmp/quorvel-fidelity-" + std::to_string(getpid()) + ".sql";
    }
    void TearDown() override {
        if (Admin && !FCopy.empty())
            Admin->ExecuteCommand("DROP DATABASE IF EXISTS `" + FCopy + "`");
        if (!FScript.empty()) unlink(FScript.c_str());
        TMariaDbTest::TearDown();
    }

    e2e::TRunResult Export(const std::string& table, const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--dbtype", "mysql",    "--table",
                                         table,      "--output", FScript};
        args.insert(args.end(), extra.begin(), extra.end());
        return Quorvel(args);
    }

    // "quorvel export" on the test database with args.
    e2e::TRunResult Quorvel(const std::vector<std::string>& args) {
        std::vector<std::string> command = {kQuorvel, "export", "--connect",
                                            testserver::MysqlConnection(DatabaseName())};
        command.insert(command.end(), args.begin(), args.end());
        return RunProgram(command);
    }

    // Runs the script with the mariadb client into an empty copy of the table.
    // With force the client goes on after a failing statement.
    e2e::TRunResult Import(const std::string& table, const std::string& characterSet,
                           bool force = false) {
        Admin->ExecuteCommand("DROP TABLE IF EXISTS `" + FCopy + "`." +
                              QuoteName(table, TDialect::dMysql));
        Admin->ExecuteCommand("CREATE TABLE `" + FCopy + "`." + QuoteName(table, TDialect::dMysql) +
                              " LIKE `" + DatabaseName() + "`." +
                              QuoteName(table, TDialect::dMysql));
        return RunProgram(
            {"mariadb", "--no-defaults", "--socket=" + Env("QUORVEL_TEST_DB_SOCKET"), "-u",
             Env("QUORVEL_TEST_DB_USER"), "-p" + Env("QUORVEL_TEST_DB_PASSWORD"),
             "--default-character-set=" + characterSet, force ? "--force" : "--no-beep", FCopy},
            FScript);
    }

    // The columns whose values differ between the table and its copy, with the first row id.
    // With wholeTable the table checksums must agree too (every column compared).
    std::vector<std::string> Differences(const std::string& table,
                                         const std::vector<std::string>& columns,
                                         bool wholeTable = true) {
        std::vector<std::string> differences;
        std::string a = "`" + DatabaseName() + "`." + QuoteName(table, TDialect::dMysql);
        std::string b = "`" + FCopy + "`." + QuoteName(table, TDialect::dMysql);
        auto count = [&](const std::string& from) {
            TDataPacket packet = Db->OpenQuery("SELECT COUNT(*) FROM " + from);
            return packet.Columns[0].Int64(0);
        };
        if (count(a) != count(b))
            differences.push_back(Format("row count %lld vs %lld", static_cast<long long>(count(a)),
                                         static_cast<long long>(count(b))));
        for (const std::string& column : columns) {
            // Null-safe equality of the values and of their exact bytes (collations would
            // call 'a' and 'A ' equal).
            std::string name = QuoteName(column, TDialect::dMysql);
            std::string same = "(x." + name + " <=> y." + name + ") AND (CAST(x." + name +
                               " AS BINARY) <=> CAST(y." + name + " AS BINARY))";
            TDataPacket packet =
                Db->OpenQuery("SELECT x.id FROM " + a + " x LEFT JOIN " + b +
                              " y ON x.id = y.id WHERE y.id IS NULL OR NOT (" + same + ")");
            if (packet.RowCount > 0)
                differences.push_back(column + " (row id " +
                                      std::to_string(packet.Columns[0].Int64(0)) + ")");
        }
        if (!wholeTable) return differences;
        TDataPacket sums = Db->OpenQuery("CHECKSUM TABLE " + a + ", " + b);
        if (sums.RowCount != 2 || sums.Columns[1].Int64(0) != sums.Columns[1].Int64(1))
            differences.push_back("table checksum");
        return differences;
    }

    std::string FCopy;
    std::string FScript;
    std::string FGb18030Script;
};

TEST_F(TFidelityTest, EveryMysqlTypeSurvivesAnExportAndImport) {
    Db->ExecuteCommand(
        CP("CREATE TABLE every_type (id int AUTO_INCREMENT PRIMARY KEY, "
           "ti tinyint, tiu tinyint unsigned, si smallint, siu smallint unsigned, mi mediumint, "
           "miu mediumint unsigned, i int, iu int unsigned, bi bigint, biu bigint unsigned, "
           "dec38 decimal(38,10), fl float, dbl double, b1 bit(1), bo bool, ch char(10), vc "
           "varchar(200), "
           "tx text, bn binary(4), vb varbinary(20), bl blob, lbl longblob, d date, t time(6), dt "
           "datetime(6), "
           "ts timestamp NULL DEFAULT NULL, yr year, en enum('small','big','中'), st "
           "set('x','y','z'), js json)"));
    const std::string nasty =
        "'O''Brien \\\\ C:\\\\new\\r\\nCR\\rLF\\nTab\\tNUL\\0CtrlZ\\Z 中文昞誠餦😀 trailing   '";
    Db->ExecuteCommand(
        CP("INSERT INTO every_type VALUES (NULL, 127, 255, 32767, 65535, 8388607, 16777215, "
           "2147483647, "
           "4294967295, 9223372036854775807, 18446744073709551615, "
           "9999999999999999999999999999.9999999999, "
           "3.40282e38, 1.7976931348623157e308, b'1', true, 'it''s \\\\中', " +
           nasty + ", " + nasty +
           ", "
           "0x00275CFF, 0x00275CFF5C27, 0x00275CFF, 0xFF5C2700, '9999-12-31', '838:59:59.999999', "
           "'9999-12-31 23:59:59.999999', '2038-01-19 03:14:07', 2155, 'big', 'x,z', "
           "'{\"name\": \"O''Brien \\\\\\\\\", \"tab\": \"\\\\t\"}')"));
    Db->ExecuteCommand(CP(
        "INSERT INTO every_type VALUES (NULL, -128, 0, -32768, 0, -8388608, 0, -2147483648, 0, "
        "-9223372036854775808, 0, -9999999999999999999999999999.9999999999, -1.17549e-38, "
        "4.9406564584124654e-324, b'0', false, '', '', '', 0x00000000, '', '', '', '1000-01-01', "
        "'-838:59:59.999999', '1000-01-01 00:00:00.000000', '1970-01-01 00:00:01', 1901, '中', '', "
        "'[]')"));
    Db->ExecuteCommand(
        "INSERT INTO every_type VALUES (NULL, 0, 1, -1, 1, 0, 1, 0, 1, 0, 1, 0.0000000001, 0.1, "
        "0.1, b'0', "
        "2, '\\t', ' lead', '\\r\\n', 0x5C, 0x5C, 0x27, 0x00, '2024-02-29', '00:00:00.000001', "
        "'2024-02-29 00:00:00', '2024-02-29 12:00:00', 2000, 'small', 'x,y,z', 'null')");
    Db->ExecuteCommand("INSERT INTO every_type (id) VALUES (NULL)");
    Db->ExecuteCommand(
        "INSERT INTO every_type (dbl, fl, dec38) VALUES (-2.2250738585072014e-308, 1e-7, -0.5)");

    auto exported = Export("every_type", {"--encoding", "utf-8"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Err, "");
    auto imported = Import("every_type", "utf8mb4");
    ASSERT_EQ(imported.Status, 0) << imported.Err << "\n" << e2e::ReadFile(FScript);
    const std::vector<std::string> columns = {"ti", "tiu", "si",    "siu", "mi",  "miu", "i",  "iu",
                                              "bi", "biu", "dec38", "fl",  "dbl", "b1",  "bo", "ch",
                                              "vc", "tx",  "bn",    "vb",  "bl",  "lbl", "d",  "t",
                                              "dt", "ts",  "yr",    "en",  "st",  "js"};
    EXPECT_EQ(Differences("every_type", columns), std::vector<std::string>{})
        << e2e::ReadFile(FScript);
}

// Long text beyond ASCII, and beyond GBK, in a utf8mb4 column.
TEST_F(TFidelityTest, LongTextBeyondAsciiSurvivesAnImport) {
    Db->ExecuteCommand("CREATE TABLE long_text (id int PRIMARY KEY, tx text, js json)");
    Db->ExecuteCommand(CP("INSERT INTO long_text VALUES (1, '中文昞誠餦😀', '{\"k\": \"誠😀\"}')"));
    auto exported = Export("long_text", {"--encoding", "utf-8"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    auto imported = Import("long_text", "utf8mb4");
    ASSERT_EQ(imported.Status, 0) << imported.Err;
    EXPECT_EQ(Differences("long_text", {"tx", "js"}), std::vector<std::string>{});
}

TEST_F(TFidelityTest, ChineseTextSurvivesAGbkImport) {
    Db->ExecuteCommand("CREATE TABLE chinese (id int PRIMARY KEY, name varchar(50), note "
                       "varchar(200), c char(4))");
    // 昞, 誠 and 餦 end in the byte 5C, the backslash, in GBK.
    Db->ExecuteCommand(CP(
        "INSERT INTO chinese VALUES (1, '昞誠餦', '誠實的餦飩店\\r\\n地址：北京''朝阳''', '誠'), "
        "(2, '中文表格', '', '昞'), (3, NULL, '餦', NULL), (4, '匚刂亠丶', '“引号”—破折号…', '')"));
    auto exported = Export("chinese", {});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Err, "") << "GBK text needs no warning";
    auto imported = Import("chinese", "gbk");
    ASSERT_EQ(imported.Status, 0) << imported.Err;
    EXPECT_EQ(Differences("chinese", {"name", "note", "c"}), std::vector<std::string>{});

    // Characters outside GBK in a GB18030 script: the user is warned.
    Db->ExecuteCommand(CP("INSERT INTO chinese VALUES (5, '😀', NULL, NULL)"));
    exported = Export("chinese", {});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_NE(exported.Err.find("--encoding utf-8"), std::string::npos) << exported.Err;
}

TEST_F(TFidelityTest, ScriptGoesToStandardOutputAndDeclaresItsEncoding) {
    Db->ExecuteCommand("CREATE TABLE t (id int PRIMARY KEY, name varchar(20))");
    Db->ExecuteCommand(CP("INSERT INTO t VALUES (1, '张三'), (2, NULL)"));
    auto run = [&](const std::string& encoding) {
        return RunProgram({kQuorvel, "export", "--connect",
                           testserver::MysqlConnection(DatabaseName()), "--dbtype", "mysql",
                           "--sql", "select id, name from t order by id", "--into", "t2",
                           "--not-null", "name", "--encoding", encoding});
    };
    const std::string rows = "INSERT INTO `t2` (`id`, `name`) VALUES \r\n(1, '张三');\r\n\r\n"
                             "INSERT INTO `t2` (`id`, `name`) VALUES \r\n(2, ' ');\r\n";
    auto result = run("gb18030");
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out,
              CP("/*!40101 SET NAMES gbk */;\r\n-- 导出表中的数据 `t2`\r\n\r\n" + rows));
    result = run("utf-8");
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out,
              "/*!40101 SET NAMES utf8mb4 */;\r\n-- 导出表中的数据 `t2`\r\n\r\n" + rows);
    // The server's message reaches standard error as UTF-8.
    result =
        RunProgram({kQuorvel, "export", "--connect", testserver::MysqlConnection(DatabaseName()),
                    "--dbtype", "mysql", "--sql", "select * from 客户", "--into", "t"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("客户' doesn't exist"), std::string::npos) << result.Err;

    // Started with standard output closed, the connection's socket would take its place; the
    // script must not go there, nor anywhere else.
    result = RunProgram({"/bin/sh", "-c", "exec \"$0\" \"$@\" >&-", kQuorvel, "export", "--connect",
                         testserver::MysqlConnection(DatabaseName()), "--dbtype", "mysql",
                         "--table", "t"});
    EXPECT_NE(result.Status, 0);
    EXPECT_NE(result.Err.find("standard output is closed"), std::string::npos) << result.Err;
}

// An export that stops before its end, whatever stops it, leaves the file that was there as it
// was and no temporary file beside it; one that completes replaces a link's target whole.
TEST_F(TFidelityTest, AnExportThatStopsLeavesTheOldFile) {
    Db->ExecuteCommand("CREATE TABLE big (id int PRIMARY KEY, v varchar(10))");
    Db->ExecuteCommand("INSERT INTO big SELECT seq, 'abc' FROM seq_1_to_200000");
    const std::string folder = FScript.substr(0, FScript.rfind('/') + 1);
    const std::string temporaryPrefix = "." + FScript.substr(folder.size()) + ".";
    auto temporaries = [&] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind(temporaryPrefix, 0) == 0)
                found.push_back(entry.path().string());
        return found;
    };
    const std::string old = "-- the script of yesterday\r\n";
    WriteBytes(FScript, old);
    std::vector<std::string> exportBig = {
        kQuorvel,   "export", "--connect", testserver::MysqlConnection(DatabaseName()),
        "--dbtype", "mysql",  "--table",   "big",
        "--output", FScript};

    // The file-size limit fails a write half-way.
    std::vector<std::string> limited = {"/bin/sh", "-c", "ulimit -f 8; exec \"$0\" \"$@\""};
    limited.insert(limited.end(), exportBig.begin(), exportBig.end());
    auto result = RunProgram(limited);
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("File too large"), std::string::npos) << result.Err;
    EXPECT_EQ(ReadBytes(FScript), old);
    EXPECT_EQ(temporaries(), std::vector<std::string>{});

    // SIGTERM and SIGINT once the script is on its way to the disk.
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::vector<char*> argv;
        for (const std::string& arg : exportBig)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        bool growing = false;
        for (int i = 0; i < 20000 && !growing; ++i) {
            for (const std::string& path : temporaries()) {
                std::error_code error;
                growing = growing || std::filesystem::file_size(path, error) > 0;
            }
            if (!growing) usleep(500);
        }
        EXPECT_TRUE(growing) << "no temporary file was written";
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(ReadBytes(FScript), old);
        EXPECT_EQ(temporaries(), std::vector<std::string>{});
    }

    // The server fails half-way through the rows.
    Db->ExecuteCommand("CREATE FUNCTION fail_at(i int) RETURNS int DETERMINISTIC BEGIN IF i = "
                       "150000 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'stopped at "
                       "150000'; END IF; RETURN i; END");
    result = Quorvel({"--dbtype", "mysql", "--sql", "select fail_at(id) id, v from big", "--into",
                      "big", "--output", FScript});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("stopped at 150000"), std::string::npos) << result.Err;
    EXPECT_EQ(ReadBytes(FScript), old);
    EXPECT_EQ(temporaries(), std::vector<std::string>{});

    // Through a link: the target gets the whole script and the link stays a link.
    std::string link = FScript + ".link";
    ASSERT_EQ(symlink(FScript.c_str(), link.c_str()), 0);
    result = Quorvel({"--dbtype", "mysql", "--table", "big", "--top", "3", "--output", link});
    EXPECT_EQ(result.Status, 0) << result.Err;
    auto toOutput = Quorvel({"--dbtype", "mysql", "--table", "big", "--top", "3"});
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(FScript), toOutput.Out);
    EXPECT_NE(toOutput.Out.find("(3, 'abc');"), std::string::npos) << toOutput.Out;
    unlink(link.c_str());
}

// The same rows through every path of the export: the table statement (selection column
// last) and typed queries (first), fetched in blocks and row by row, a compound query, in
// both encodings. Each script must give the rows back exactly, and paths that select the
// same columns must write the same bytes.
TEST_F(TFidelityTest, EveryPathGivesTheSameRowsBack) {
    CreateGrid(*Db);
    std::vector<std::string> all, withoutPad;
    for (const TGridColumn& column : kGrid) {
        all.push_back(column.Name);
        if (std::string(column.Name) != "pad") withoutPad.push_back(column.Name);
    }

    struct TPath {
        const char* Name;
        std::vector<std::string> Args;
        bool HasPad;
    };
    const TPath paths[] = {
        {"table, row by row", {"--table", "grid"}, true},
        {"table, blocks", {"--table", "grid_block", "--into", "grid"}, false},
        {"query, blocks",
         {"--sql", "select id" + GridColumns(false) + " from grid", "--into", "grid"},
         false},
        {"query, long column first",
         {"--sql", "select id, pad" + GridColumns(false) + " from grid", "--into", "grid"},
         true},
        {"compound query",
         {"--sql",
          "with g as (select * from grid) select * from g where id <= 700 union all "
          "select * from grid where id > 700 order by id",
          "--into", "grid"},
         true},
    };
    for (const char* encoding : {"gb18030", "utf-8"}) {
        std::map<std::string, std::string> scripts;
        for (const TPath& path : paths) {
            SCOPED_TRACE(std::string(path.Name) + ", " + encoding);
            std::vector<std::string> args = path.Args;
            args.insert(args.end(),
                        {"--dbtype", "mysql", "--encoding", encoding, "--output", FScript});
            auto exported = Quorvel(args);
            ASSERT_EQ(exported.Status, 0) << exported.Err;
            auto imported = Import("grid", std::string(encoding) == "utf-8" ? "utf8mb4" : "gbk");
            ASSERT_EQ(imported.Status, 0) << imported.Err;
            EXPECT_EQ(Differences("grid", path.HasPad ? all : withoutPad, path.HasPad),
                      std::vector<std::string>{});
            scripts[path.Name] = e2e::ReadFile(FScript);
        }
        EXPECT_EQ(scripts["table, row by row"], scripts["compound query"]) << encoding;
        EXPECT_EQ(scripts["table, blocks"], scripts["query, blocks"]) << encoding;
        if (std::string(encoding) == "gb18030")
            FGb18030Script = scripts["table, row by row"];
        else
            // The same script apart from the declared encoding.
            EXPECT_EQ(platform::CodePageToUtf8(FGb18030Script, platform::TConversion::Strict)
                          .replace(0, 26, "/*!40101 SET NAMES utf8mb4 */;"),
                      scripts["table, row by row"]);
    }
}

// Names the script must quote character by character: 乣 ends in the backquote's byte and 揮
// in the bracket's, and a user column may be called sel in any case.
TEST_F(TFidelityTest, NamesKeepEveryCharacterAndUserColumnsCalledSelKeepTheirValues) {
    // The server misreads a backquoted gbk name where a 0x60 trail byte is followed by another
    // two-byte character, so the gb18030 script gets a table without 乣 in its name.
    const std::string names[] = {CP("乣表 `q` [揮]"), CP("揮表 `q` [x]")};
    for (const std::string& table : names) {
        std::string quoted = QuoteName(table, TDialect::dMysql);
        Db->ExecuteCommand("CREATE TABLE " + quoted +
                           CP(" (id int PRIMARY KEY, sel int, `揮]` varchar(20), "
                              "`a``b` int, `my col` int, `SEL_1` int, note varchar(20))"));
        Db->ExecuteCommand("INSERT INTO " + quoted +
                           CP(" VALUES (1, 0, '乣', 1, 2, 3, 'zero'), "
                              "(2, 1, '揮', NULL, 4, 5, 'one'), (3, 5, NULL, 6, NULL, 7, 'five'), "
                              "(4, NULL, 'x', 8, 9, NULL, 'null')"));
    }
    const std::vector<std::string> columns = {"sel", CP("揮]"), "a`b", "my col", "SEL_1", "note"};
    for (const char* encoding : {"utf-8", "gb18030"}) {
        const std::string& table = names[std::string(encoding) == "utf-8" ? 0 : 1];
        const std::string from = " from " + QuoteName(table, TDialect::dMysql);
        const std::string list = CP("id, SEL_1, `揮]`, `a``b`, `my col`, Sel, note");
        const std::vector<std::vector<std::string>> ways = {
            {"--table", table},
            {"--sql", "select *" + from, "--into", table},
            {"--sql", "select " + list + from, "--into", table},
            {"--sql",
             "select " + list + from + " where id < 3 union select " + list + from +
                 " where id >= 3",
             "--into", table},
        };
        for (const auto& way : ways) {
            SCOPED_TRACE(way[1] + ", " + encoding);
            std::vector<std::string> args = way;
            for (std::string& arg : args)
                arg = platform::CodePageToUtf8(arg, platform::TConversion::Strict);
            args.insert(args.end(),
                        {"--dbtype", "mysql", "--encoding", encoding, "--output", FScript});
            auto exported = Quorvel(args);
            ASSERT_EQ(exported.Status, 0) << exported.Err;
            std::string script = e2e::ReadFile(FScript);
            EXPECT_EQ(script.find("SEL_2"), std::string::npos) << script;
            auto imported = Import(table, std::string(encoding) == "utf-8" ? "utf8mb4" : "gbk");
            ASSERT_EQ(imported.Status, 0) << imported.Err << "\n" << script;
            EXPECT_EQ(Differences(table, columns), std::vector<std::string>{}) << script;
        }
    }
}

// A table name with a line break, comment marks and backquotes, and values built to break out
// of their literal when a client reads the script in another character set: the victim table
// of the import database survives every import, and an import in the script's own character
// set gives the rows back.
TEST_F(TFidelityTest, HostileNamesAndValuesRunNothingWhateverTheClientCharacterSet) {
    const std::string table = CP("nl\n/*`q`*/ DROP TABLE victim;#");
    const std::string quoted = QuoteName(table, TDialect::dMysql);
    Db->ExecuteCommand("CREATE TABLE " + quoted + " (id int PRIMARY KEY, v varchar(100))");
    Db->ExecuteCommand(CP("INSERT INTO " + quoted +
                          " VALUES (1, '昞''); DROP TABLE victim; -- '), (2, '中\\\\'), "
                          "(3, '中\\n'), (4, '\\\\'), (5, '誠昞 \\\\'''), (6, 'a\\r\\nb')"));
    Admin->ExecuteCommand("CREATE TABLE `" + FCopy + "`.victim (id int)");
    auto victimExists = [&] {
        return Db->OpenQuery("SELECT COUNT(*) FROM information_schema.tables WHERE "
                             "table_schema = '" +
                             FCopy + "' AND table_name = 'victim'")
                   .Columns[0]
                   .Int64(0) == 1;
    };
    const std::string from = "select id, v from " + quoted + " order by id";
    for (const char* encoding : {"gb18030", "utf-8"}) {
        auto exported =
            Quorvel({"--dbtype", "mysql", "--sql",
                     platform::CodePageToUtf8(from, platform::TConversion::Strict), "--into",
                     platform::CodePageToUtf8(table, platform::TConversion::Strict), "--encoding",
                     encoding, "--output", FScript});
        ASSERT_EQ(exported.Status, 0) << exported.Err;
        const std::string own = std::string(encoding) == "utf-8" ? "utf8mb4" : "gbk";
        for (const char* characterSet : {"utf8mb4", "gbk", "latin1"}) {
            SCOPED_TRACE(std::string(encoding) + " read as " + characterSet);
            auto imported = Import(table, characterSet, true);
            EXPECT_TRUE(victimExists()) << e2e::ReadFile(FScript);
            if (characterSet != own) continue;
            EXPECT_EQ(imported.Status, 0) << imported.Err;
            EXPECT_EQ(Differences(table, {"v"}), std::vector<std::string>{})
                << e2e::ReadFile(FScript);
        }
    }
}

TEST_F(TFidelityTest, WarningsNameWhatAGbkImportLosesAndSubstitutesTheServerMayReject) {
    Db->ExecuteCommand("CREATE TABLE priced (id int PRIMARY KEY, note varchar(20), d date, "
                       "b varbinary(4), bi bigint, bt bit(1), n varchar(4))");
    // € (A2 E3 in GB18030) is two bytes that gbk lacks; the hexadecimal value of row 2 holds
    // it too, but an import stores that one.
    Db->ExecuteCommand(CP("INSERT INTO priced VALUES (1, 'plain', NULL, NULL, NULL, NULL, NULL), "
                          "(2, '中€\\n', NULL, NULL, NULL, NULL, NULL), "
                          "(3, '5 €', NULL, NULL, NULL, NULL, NULL)"));
    auto exported = Export("priced", {"--not-null", "d, b, bi, bt, n"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_NE(exported.Err.find("warning: row 3, column note holds \"€\", which a gbk import "
                                "cannot store; use --encoding utf-8 for such data"),
              std::string::npos)
        << exported.Err;
    // Numbers get 0, which the server takes; a date and a binary value get ' ', with a warning
    // each, and text gets none.
    for (const char* column : {"column d ", "column b "})
        EXPECT_NE(exported.Err.find(column), std::string::npos) << exported.Err;
    for (const char* column : {"column bi ", "column bt ", "column n "})
        EXPECT_EQ(exported.Err.find(column), std::string::npos) << exported.Err;
    std::string script = e2e::ReadFile(FScript);
    EXPECT_NE(script.find("' ', 0, 0, ' ');"), std::string::npos) << script;
    // Every number gets 0, which a strict server takes where it refuses ' '.
    Db->ExecuteCommand("CREATE TABLE numbers (id int PRIMARY KEY, bi bigint, bu bigint unsigned, "
                       "bt bit(1), bo bool, dc decimal(5,2), fl float, i int)");
    Db->ExecuteCommand("INSERT INTO numbers (id) VALUES (1)");
    exported = Export("numbers", {"--not-null", "bi,bu,bt,bo,dc,fl,i"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Err, "");
    script = e2e::ReadFile(FScript);
    EXPECT_NE(script.find("(1, 0, 0, 0, 0, 0, 0, 0);"), std::string::npos) << script;
    auto imported = Import("numbers", "utf8mb4");
    EXPECT_EQ(imported.Status, 0) << imported.Err << script;
}

} // namespace
