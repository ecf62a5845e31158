// The product's promise: a script exported from a table, run by the mariadb client into an
// empty copy of it, gives back every value exactly.
#include <gtest/gtest.h>

#include <unistd.h>

#include "base/Format.h"
#include "platform/CodePage.h"
#include "tests/e2e/Run.h"
#include "tests/integration/TestServer.h"

namespace {

using e2e::RunProgram;
using testserver::Env;

const std::string kQuorvel = QUORVEL_EXECUTABLE;

std::string CP(const std::string& utf8) { return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict); }

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
        if (Admin && !FCopy.empty()) Admin->ExecuteCommand("DROP DATABASE IF EXISTS `" + FCopy + "`");
        if (!FScript.empty()) unlink(FScript.c_str());
        TMariaDbTest::TearDown();
    }

    e2e::TRunResult Export(const std::string& table, const std::vector<std::string>& extra) {
        std::vector<std::string> args = {kQuorvel, "export", "--connect", testserver::MysqlConnection(DatabaseName()),
                                         "--dbtype", "mysql", "--table", table, "--top", "100000",
                                         "--output", FScript};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args);
    }

    // Runs the script with the mariadb client into the empty copy.
    e2e::TRunResult Import(const std::string& table, const std::string& characterSet) {
        Admin->ExecuteCommand("CREATE TABLE `" + FCopy + "`.`" + table + "` LIKE `" + DatabaseName() + "`.`" +
                              table + "`");
        return RunProgram({"mariadb", "--no-defaults", "--socket=" + Env("QUORVEL_TEST_DB_SOCKET"), "-u",
                    Env("QUORVEL_TEST_DB_USER"), "-p" + Env("QUORVEL_TEST_DB_PASSWORD"),
                    "--default-character-set=" + characterSet, FCopy},
                   FScript);
    }

    // The columns whose values differ between the table and its copy, with the first row id.
    std::vector<std::string> Differences(const std::string& table, const std::vector<std::string>& columns) {
        std::vector<std::string> differences;
        std::string a = "`" + DatabaseName() + "`.`" + table + "`";
        std::string b = "`" + FCopy + "`.`" + table + "`";
        auto count = [&](const std::string& from) {
            TDataPacket packet = Db->OpenQuery("SELECT COUNT(*) FROM " + from, "");
            return packet.Columns[0].Int64(0);
        };
        if (count(a) != count(b)) differences.push_back(Format("row count %lld vs %lld",
                                                               static_cast<long long>(count(a)),
                                                               static_cast<long long>(count(b))));
        for (const std::string& column : columns) {
            // Null-safe equality of the values and of their exact bytes (collations would
            // call 'a' and 'A ' equal).
            std::string same = "(x.`" + column + "` <=> y.`" + column + "`) AND (CAST(x.`" + column +
                               "` AS BINARY) <=> CAST(y.`" + column + "` AS BINARY))";
            TDataPacket packet = Db->OpenQuery("SELECT x.id FROM " + a + " x LEFT JOIN " + b +
                                               " y ON x.id = y.id WHERE y.id IS NULL OR NOT (" + same + ")", "");
            if (packet.RowCount > 0)
                differences.push_back(column + " (row id " + std::to_string(packet.Columns[0].Int64(0)) + ")");
        }
        TDataPacket sums = Db->OpenQuery("CHECKSUM TABLE " + a + ", " + b, "");
        if (sums.RowCount != 2 || sums.Columns[1].Int64(0) != sums.Columns[1].Int64(1))
            differences.push_back("table checksum");
        return differences;
    }

    std::string FCopy;
    std::string FScript;
};

TEST_F(TFidelityTest, EveryMysqlTypeSurvivesAnExportAndImport) {
    Db->ExecuteCommand(CP(
        "CREATE TABLE every_type (id int AUTO_INCREMENT PRIMARY KEY, "
        "ti tinyint, tiu tinyint unsigned, si smallint, siu smallint unsigned, mi mediumint, "
        "miu mediumint unsigned, i int, iu int unsigned, bi bigint, biu bigint unsigned, "
        "dec38 decimal(38,10), fl float, dbl double, b1 bit(1), bo bool, ch char(10), vc varchar(200), "
        "tx text, bn binary(4), vb varbinary(20), bl blob, lbl longblob, d date, t time(6), dt datetime(6), "
        "ts timestamp NULL DEFAULT NULL, yr year, en enum('small','big','中'), st set('x','y','z'), js json)"));
    const std::string nasty =
        "'O''Brien \\\\ C:\\\\new\\r\\nCR\\rLF\\nTab\\tNUL\\0CtrlZ\\Z 中文昞誠餦😀 trailing   '";
    Db->ExecuteCommand(CP(
        "INSERT INTO every_type VALUES (NULL, 127, 255, 32767, 65535, 8388607, 16777215, 2147483647, "
        "4294967295, 9223372036854775807, 18446744073709551615, 9999999999999999999999999999.9999999999, "
        "3.40282e38, 1.7976931348623157e308, b'1', true, 'it''s \\\\中', " + nasty + ", " + nasty + ", "
        "0x00275CFF, 0x00275CFF5C27, 0x00275CFF, 0xFF5C2700, '9999-12-31', '838:59:59.999999', "
        "'9999-12-31 23:59:59.999999', '2038-01-19 03:14:07', 2155, 'big', 'x,z', "
        "'{\"name\": \"O''Brien \\\\\\\\\", \"tab\": \"\\\\t\"}')"));
    Db->ExecuteCommand(CP(
        "INSERT INTO every_type VALUES (NULL, -128, 0, -32768, 0, -8388608, 0, -2147483648, 0, "
        "-9223372036854775808, 0, -9999999999999999999999999999.9999999999, -1.17549e-38, "
        "4.9406564584124654e-324, b'0', false, '', '', '', 0x00000000, '', '', '', '1000-01-01', "
        "'-838:59:59.999999', '1000-01-01 00:00:00.000000', '1970-01-01 00:00:01', 1901, '中', '', '[]')"));
    Db->ExecuteCommand(
        "INSERT INTO every_type VALUES (NULL, 0, 1, -1, 1, 0, 1, 0, 1, 0, 1, 0.0000000001, 0.1, 0.1, b'0', "
        "2, '\\t', ' lead', '\\r\\n', 0x5C, 0x5C, 0x27, 0x00, '2024-02-29', '00:00:00.000001', "
        "'2024-02-29 00:00:00', '2024-02-29 12:00:00', 2000, 'small', 'x,y,z', 'null')");
    Db->ExecuteCommand("INSERT INTO every_type (id) VALUES (NULL)");
    Db->ExecuteCommand("INSERT INTO every_type (dbl, fl, dec38) VALUES (-2.2250738585072014e-308, 1e-7, -0.5)");

    auto exported = Export("every_type", {"--encoding", "utf-8"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Err, "");
    auto imported = Import("every_type", "utf8mb4");
    ASSERT_EQ(imported.Status, 0) << imported.Err << "\n" << e2e::ReadFile(FScript);
    const std::vector<std::string> columns = {"ti", "tiu", "si", "siu", "mi", "miu", "i", "iu", "bi", "biu",
                                              "dec38", "fl", "dbl", "b1", "bo", "ch", "vc", "tx", "bn", "vb",
                                              "bl", "lbl", "d", "t", "dt", "ts", "yr", "en", "st", "js"};
    EXPECT_EQ(Differences("every_type", columns), std::vector<std::string>{}) << e2e::ReadFile(FScript);
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
    Db->ExecuteCommand("CREATE TABLE chinese (id int PRIMARY KEY, name varchar(50), note varchar(200), c char(4))");
    // 昞, 誠 and 餦 end in the byte 5C, the backslash, in GBK.
    Db->ExecuteCommand(CP("INSERT INTO chinese VALUES (1, '昞誠餦', '誠實的餦飩店\\r\\n地址：北京''朝阳''', '誠'), "
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

TEST_F(TFidelityTest, ScriptGoesToStandardOutputAndPartialFilesAreRemoved) {
    Db->ExecuteCommand("CREATE TABLE t (id int PRIMARY KEY, name varchar(20))");
    Db->ExecuteCommand(CP("INSERT INTO t VALUES (1, '张三'), (2, NULL)"));
    auto result = RunProgram({kQuorvel, "export", "--connect", testserver::MysqlConnection(DatabaseName()), "--dbtype",
                       "mysql", "--sql", "select id, name from t order by id", "--into", "t2", "--not-null", "name"});
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, CP("-- 导出表中的数据 `t2`\r\n\r\n"
                             "INSERT INTO `t2` (`id`, `name`) VALUES \r\n(1, '张三');\r\n\r\n"
                             "INSERT INTO `t2` (`id`, `name`) VALUES \r\n(2, ' ');\r\n"));

    // The server's message reaches standard error as UTF-8.
    result = RunProgram({kQuorvel, "export", "--connect", testserver::MysqlConnection(DatabaseName()), "--dbtype",
                         "mysql", "--sql", "select * from 客户", "--into", "t"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("客户' doesn't exist"), std::string::npos) << result.Err;

    // A write that fails half-way (the file-size limit) removes the partial file.
    Db->ExecuteCommand("INSERT INTO t SELECT seq, REPEAT('x', 20) FROM seq_3_to_2000");
    result = RunProgram({"/bin/sh", "-c", "ulimit -f 8; exec \"$0\" \"$@\"", kQuorvel, "export", "--connect",
                  testserver::MysqlConnection(DatabaseName()), "--dbtype", "mysql", "--table", "t", "--top",
                  "5000", "--output", FScript});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("File too large"), std::string::npos) << result.Err;
    EXPECT_NE(access(FScript.c_str(), F_OK), 0) << "the partial script was left behind";
}

} // namespace
