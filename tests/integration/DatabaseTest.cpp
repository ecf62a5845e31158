// The ODBC database layer against a real MariaDB server, the SQLite3 driver and FreeTDS.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/Query.h"
#include "app/ResultSet.h"
#include "app/ValueRendering.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"
#include "tests/integration/TestServer.h"

namespace {

using testserver::TMariaDbTest;

std::string CP(const std::string& utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

const TFieldDef& FieldNamed(const TDataPacket& packet, const std::string& name,
                            size_t* index = nullptr) {
    for (size_t i = 0; i < packet.Fields.size(); ++i)
        if (packet.Fields[i].Name == name) {
            if (index) *index = i;
            return packet.Fields[i];
        }
    throw std::runtime_error("no column " + name);
}

const TColumnData& Column(const TDataPacket& packet, const std::string& name) {
    size_t index = 0;
    FieldNamed(packet, name, &index);
    return packet.Columns[index];
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST_F(TMariaDbTest, ListsTablesViewsOfTheCurrentDatabaseOnly) {
    Db->ExecuteCommand("CREATE TABLE `order` (id int)");
    Db->ExecuteCommand("CREATE TABLE `my table-1` (id int)");
    Db->ExecuteCommand(CP("CREATE TABLE `客户` (id int)"));
    Db->ExecuteCommand("CREATE VIEW v_orders AS SELECT id FROM `order`");
    TStringList tables{"left over"};
    Db->GetTableNames(tables);
    EXPECT_EQ(tables.Items(),
              (std::vector<std::string>{"my table-1", "order", "v_orders", CP("客户")}));
}

TEST_F(TMariaDbTest, TypedQueryDeliversExactValuesAndKinds) {
    Db->ExecuteCommand(
        "CREATE TABLE typed (id int AUTO_INCREMENT PRIMARY KEY, si smallint, tu tinyint unsigned, "
        "bu bigint unsigned, bs bigint, d38 decimal(38,10), d9 decimal(9,0), f float, db double, "
        "b1 bit(1), vc varchar(20), ch char(3), tx text, vb varbinary(8), bl longblob, dt date, "
        "tm time(6), dtm datetime(6), yr year, js json)");
    Db->ExecuteCommand(CP(
        "INSERT INTO typed VALUES (NULL, -32768, 255, 18446744073709551615, -9223372036854775808, "
        "-1234567890123456789012345678.0123456789, 999999999, 3.40282e38, "
        "-2.2250738585072014e-308, "
        "b'1', 'a''b\\\\c 中😀', 'x  ', '誠\\r\\n', 0x00275CFF, '', '2024-02-29', "
        "'-838:59:59.000001', "
        "'2024-01-02 03:04:05.123456', 1901, '{\"k\": \"餦\"}')"));
    Db->ExecuteCommand("INSERT INTO typed (id) VALUES (NULL)");
    TDataPacket packet = OpenSelectQuery(*Db, "select * from typed order by id", TDialect::dMysql);
    ASSERT_EQ(packet.RowCount, 2u);
    EXPECT_EQ(packet.Fields.back().Name, "SEL")
        << "after a bare *, the selection column comes last";

    struct Expected {
        const char* Name;
        TFieldType Kind;
    } kinds[] = {{"SEL", TFieldType::ftInteger},   {"id", TFieldType::ftAutoInc},
                 {"si", TFieldType::ftSmallint},   {"tu", TFieldType::ftWord},
                 {"bu", TFieldType::ftLargeint},   {"bs", TFieldType::ftLargeint},
                 {"d38", TFieldType::ftBCD},       {"d9", TFieldType::ftInteger},
                 {"f", TFieldType::ftFloat},       {"db", TFieldType::ftFloat},
                 {"b1", TFieldType::ftBoolean},    {"vc", TFieldType::ftWideString},
                 {"ch", TFieldType::ftWideString}, {"tx", TFieldType::ftMemo},
                 {"vb", TFieldType::ftVarBytes},   {"bl", TFieldType::ftBlob},
                 {"dt", TFieldType::ftDate},       {"tm", TFieldType::ftTime},
                 {"dtm", TFieldType::ftDateTime},  {"yr", TFieldType::ftWord},
                 {"js", TFieldType::ftMemo}};
    // Through the wide API the Unicode driver reports char and varchar as wide text.
    for (const Expected& expected : kinds)
        EXPECT_EQ(FieldNamed(packet, expected.Name).DataType, expected.Kind) << expected.Name;
    EXPECT_FALSE(FieldNamed(packet, "SEL").ReadOnly);
    EXPECT_TRUE(FieldNamed(packet, "id").AutoIncrement);

    EXPECT_EQ(Column(packet, "SEL").Int64(0), 0);
    EXPECT_EQ(Column(packet, "si").Int64(0), -32768);
    EXPECT_EQ(Column(packet, "tu").Int64(0), 255);
    EXPECT_EQ(Column(packet, "bu").UInt64(0), 18446744073709551615ull);
    EXPECT_EQ(Column(packet, "bs").Int64(0), INT64_MIN);
    EXPECT_EQ(Column(packet, "d38").Bytes(0), "-1234567890123456789012345678.0123456789");
    EXPECT_EQ(Column(packet, "d9").Int64(0), 999999999);
    EXPECT_EQ(Column(packet, "f").Single(0), 3.40282e38f);
    EXPECT_EQ(Column(packet, "db").Double(0), -2.2250738585072014e-308);
    EXPECT_TRUE(Column(packet, "b1").Boolean(0));
    EXPECT_EQ(Column(packet, "vc").Bytes(0), CP("a'b\\c 中😀"));
    EXPECT_EQ(Column(packet, "ch").Bytes(0), "x");
    EXPECT_EQ(Column(packet, "tx").Bytes(0), CP("誠\r\n"));
    EXPECT_EQ(Column(packet, "vb").Bytes(0), std::string("\x00\x27\x5C\xFF", 4));
    EXPECT_FALSE(Column(packet, "bl").IsNull(0));
    EXPECT_EQ(Column(packet, "bl").Bytes(0), "");
    TDateTimeParts date{2024, 2, 29, 0, 0, 0, 0, false};
    EXPECT_EQ(Column(packet, "dt").DateTime(0), date);
    TDateTimeParts time{0, 0, 0, 838, 59, 59, 1000, true};
    EXPECT_EQ(Column(packet, "tm").DateTime(0), time);
    TDateTimeParts stamp{2024, 1, 2, 3, 4, 5, 123456000, false};
    EXPECT_EQ(Column(packet, "dtm").DateTime(0), stamp);
    EXPECT_EQ(Column(packet, "yr").Int64(0), 1901);
    EXPECT_EQ(Column(packet, "js").Bytes(0), CP("{\"k\": \"餦\"}"));
    for (size_t i = 0; i < packet.Fields.size(); ++i)
        if (packet.Fields[i].Name != "SEL" && packet.Fields[i].Name != "id") {
            EXPECT_TRUE(packet.Columns[i].IsNull(1)) << packet.Fields[i].Name;
        }

    // The driver's wide text stops at a NUL character; text arrives whole nonetheless.
    Db->ExecuteCommand("CREATE TABLE nul (v varchar(10), t longtext)");
    Db->ExecuteCommand(CP("INSERT INTO nul VALUES ('a\\0b中', 'c\\0d😀')"));
    TDataPacket nul = Db->OpenQuery("select v, t from nul");
    EXPECT_EQ(nul.Columns[0].Bytes(0), CP(std::string("a\0b中", 6)));
    EXPECT_EQ(nul.Columns[1].Bytes(0), CP(std::string("c\0d😀", 7)));

    // The packet loads into the result set with SEL writable.
    TResultSet result;
    result.LoadPacket(std::move(packet));
    EXPECT_FALSE(result.FieldByName("SEL").ReadOnly());
    EXPECT_TRUE(result.FieldByName("id").ReadOnly());
}

TEST_F(TMariaDbTest, ZeroDatesKeepTheServerText) {
    Db->ExecuteCommand("SET SESSION sql_mode = ''");
    Db->ExecuteCommand("CREATE TABLE z (d date, dt datetime)");
    Db->ExecuteCommand(
        "INSERT INTO z VALUES ('0000-00-00', '0000-00-00 00:00:00'), ('2024-00-10', NULL)");
    TDataPacket packet = Db->OpenQuery("select d, dt from z");
    ASSERT_EQ(packet.RowCount, 2u);
    EXPECT_TRUE(packet.Columns[0].HasDateTimeText(0));
    EXPECT_EQ(packet.Columns[0].Bytes(0), "0000-00-00");
    EXPECT_EQ(packet.Columns[1].Bytes(0), "0000-00-00 00:00:00");
    EXPECT_EQ(packet.Columns[0].Bytes(1), "2024-00-10");
}

TEST_F(TMariaDbTest, LargeValuesAndManyBlocksArriveWhole) {
    Db->ExecuteCommand("CREATE TABLE big (id int PRIMARY KEY, tx longtext, bl longblob)");
    // A text beyond the fetch chunk whose surrogate pairs straddle chunk ends, and a blob
    // with every byte value.
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += i % 3 == 0 ? "😀" : (i % 3 == 1 ? "中" : "a");
    std::string blobHex;
    for (int i = 0; i < 300000; ++i)
        blobHex += Format("%02X", (i * 7) & 0xFF);
    Db->ExecuteCommand(CP("INSERT INTO big VALUES (1, '" + text + "', 0x" + blobHex + ")"));
    TDataPacket packet = Db->OpenQuery("select tx, bl from big");
    ASSERT_EQ(packet.RowCount, 1u);
    EXPECT_EQ(packet.Columns[0].Bytes(0), CP(text));
    std::string_view blob = packet.Columns[1].Bytes(0);
    ASSERT_EQ(blob.size(), 300000u);
    bool same = true;
    for (size_t i = 0; i < blob.size(); ++i)
        same = same && static_cast<unsigned char>(blob[i]) == ((i * 7) & 0xFF);
    EXPECT_TRUE(same);

    // Block fetch over several blocks of bound columns.
    Db->ExecuteCommand(
        "CREATE TABLE many (id int PRIMARY KEY, name varchar(10), amount decimal(10,2))");
    Db->ExecuteCommand(
        "INSERT INTO many SELECT seq, CONCAT('n', seq), seq / 100 FROM seq_1_to_5000");
    TDataPacket rows =
        OpenSelectQuery(*Db, "select id, name, amount from many order by id", TDialect::dMysql);
    ASSERT_EQ(rows.RowCount, 5000u);
    for (size_t row = 0; row < rows.RowCount; ++row) {
        ASSERT_EQ(rows.Columns[1].Int64(row), static_cast<int64_t>(row + 1));
        ASSERT_EQ(rows.Columns[2].Bytes(row), "n" + std::to_string(row + 1));
    }
    EXPECT_EQ(rows.Columns[3].Bytes(4999), "50.00");
}

TEST_F(TMariaDbTest, CommandsReportAffectedRowsAndRejectedStatementsTheServerText) {
    Db->ExecuteCommand("CREATE TABLE c (id int, selected int)");
    EXPECT_EQ(ExecStatement(*Db, "insert into c values (1, 0), (2, 0)"), 2);
    EXPECT_EQ(ExecStatement(*Db, "update c set selected = 1 where id = 1"), 1);
    EXPECT_EQ(ExecStatement(*Db, "update c set selected = 1 where id = 99"), 0);
    EXPECT_EQ(ExecStatement(*Db, "create table d (id int)"), 0);
    EXPECT_EQ(Db->ExecuteCommand("delete from c"), 2);

    std::string error =
        ErrorOf([&] { OpenSelectQuery(*Db, "select * from no_such_table", TDialect::dMysql); });
    EXPECT_NE(error.find("no_such_table' doesn't exist"), std::string::npos) << error;
    error = ErrorOf([&] { ExecStatement(*Db, "updat c set id = 1"); });
    EXPECT_NE(error.find("You have an error in your SQL syntax"), std::string::npos) << error;
    error = ErrorOf([&] { Db->OpenQuery("set @a = 1"); });
    EXPECT_EQ(error,
              platform::Utf8ToCodePage("语句没有返回可显示的记录", platform::TConversion::Strict));
}

TEST_F(TMariaDbTest, ConnectingReportsTheDriversMessage) {
    TStringList tables;
    Db->ExecuteCommand("CREATE TABLE kept (id int)");
    ConnectDatabase(*Db, testserver::MysqlConnection(DatabaseName()), tables);
    EXPECT_EQ(tables.Items(), std::vector<std::string>{"kept"});
    EXPECT_EQ(Db->ConnectionString(), testserver::MysqlConnection(DatabaseName()));

    // A wrong password: the server's message reaches the user; the previous list stays.
    std::string error = ErrorOf([&] {
        ConnectDatabase(*Db, testserver::MysqlConnection(DatabaseName(), "wrong"), tables);
    });
    EXPECT_NE(error.find("Access denied for user 'quorvel'"), std::string::npos) << error;
    EXPECT_FALSE(Db->Connected());
    EXPECT_EQ(tables.Items(), std::vector<std::string>{"kept"});
    EXPECT_EQ(ErrorOf([&] { Db->GetTableNames(tables); }),
              platform::Utf8ToCodePage("数据库连接没有打开", platform::TConversion::Strict));

    // The same server through an OLE DB text from an old history.
    std::string oleDb = "Provider=MSDASQL.1;Persist Security Info=True;Extended "
                        "Properties=\"DRIVER={MySQL ODBC 5.3 "
                        "Unicode Driver};SERVER=127.0.0.1;PORT=" +
                        testserver::Env("QUORVEL_TEST_DB_PORT") + ";DATABASE=" + DatabaseName() +
                        ";UID=" + testserver::Env("QUORVEL_TEST_DB_USER") +
                        ";PWD=" + testserver::Env("QUORVEL_TEST_DB_PASSWORD") + "\"";
    ConnectDatabase(*Db, oleDb, tables);
    EXPECT_EQ(tables.Items(), std::vector<std::string>{"kept"});
    EXPECT_EQ(Db->ConnectionString(), oleDb);

    error = ErrorOf([&] {
        ConnectDatabase(*Db, "Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=h", tables);
    });
    EXPECT_NE(error.find("Integrated Security=SSPI"), std::string::npos) << error;
}

std::string ClosedPortConnection(const std::string& driver) {
    // Port 1 on the loopback address: nothing listens, so the connection is refused at once.
    return "Driver={" + driver + "};Server=127.0.0.1;Port=1;Database=x;UID=sa;PWD=x";
}

TEST(Database, UnreachableServersFailWithTheDriversMessage) {
    auto db = platform::CreateDatabase();
    db->SetConnectionString(ClosedPortConnection("MariaDB Unicode"));
    std::string error = ErrorOf([&] { db->Open(); });
    EXPECT_NE(error.find("Can't connect to server on '127.0.0.1'"), std::string::npos) << error;
    EXPECT_FALSE(db->Connected());

    db->SetConnectionString(ClosedPortConnection("FreeTDS"));
    error = ErrorOf([&] { db->Open(); });
    EXPECT_NE(error.find("Unable to connect"), std::string::npos) << error;

    db->SetConnectionString("Driver={No Such Driver};Server=h");
    error = ErrorOf([&] { db->Open(); });
    EXPECT_NE(error.find("No Such Driver"), std::string::npos) << error;
}

TEST(Database, FailedOpenHidesThePassword) {
    auto db = platform::CreateDatabase();
    const std::string base = "Driver={MariaDB Unicode};Server=127.0.0.1;Port=1;UID=u;";
    db->SetConnectionString(base + "PWD=s3cr3t-pw");
    std::string error = ErrorOf([&] { db->Open(); });
    EXPECT_NE(error.find("Can't connect to server"), std::string::npos) << error;
    EXPECT_EQ(error.find("s3cr3t"), std::string::npos) << error;
    // The driver's message names the server; a password with the same bytes is masked there.
    db->SetConnectionString(base + "PWD={127.0.0.1}");
    error = ErrorOf([&] { db->Open(); });
    EXPECT_NE(error.find("Can't connect to server on '***'"), std::string::npos) << error;
}

TEST(Database, SqliteTakesStatementsAsUtf8) {
    char path[] = "/tmp/quorvel-sqlite-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    auto db = platform::CreateDatabase();
    db->SetConnectionString(std::string("Driver=SQLite3;Database=") + path);
    db->Open();
    db->ExecuteCommand(
        CP("CREATE TABLE 客户 (id integer PRIMARY KEY, 名称 varchar(4), note text, photo blob, "
           "price decimal(10,2), born date)"));
    EXPECT_EQ(db->ExecuteCommand(
                  CP("INSERT INTO 客户 VALUES (1, '誠實可靠的老客戶😀', 'O''Brien', x'00FF', 12.5, "
                     "'1990-05-17')")),
              1);
    TStringList tables;
    db->GetTableNames(tables);
    EXPECT_EQ(tables.Items(), std::vector<std::string>{CP("客户")});
    TDataPacket packet = OpenSelectQuery(*db, CP("select * from 客户"), TDialect::dMysql);
    ASSERT_EQ(packet.RowCount, 1u);
    // The declared length does not bound SQLite's text.
    EXPECT_EQ(Column(packet, CP("名称")).Bytes(0), CP("誠實可靠的老客戶😀"));
    EXPECT_EQ(Column(packet, "note").Bytes(0), "O'Brien");
    EXPECT_EQ(Column(packet, "photo").Bytes(0), std::string("\x00\xFF", 2));
    TDateTimeParts born{1990, 5, 17, 0, 0, 0, 0, false};
    EXPECT_EQ(Column(packet, "born").DateTime(0), born);
    db->Close();
    std::remove(path);
}

// The export warns about exactly the two-byte characters the server's gbk cannot store.
TEST_F(TMariaDbTest, GbkGapsAreTheCodesTheServersGbkLacks) {
    TDataPacket packet = Db->OpenQuery(
        "WITH RECURSIVE l(v) AS (SELECT 129 UNION ALL SELECT v + 1 FROM l WHERE v < 254), "
        "t(v) AS (SELECT 64 UNION ALL SELECT v + 1 FROM t WHERE v < 254) "
        "SELECT l.v AS lead, t.v AS trail FROM l, t WHERE t.v <> 127 AND "
        "HEX(CONVERT(CONVERT(BINARY CHAR(l.v, t.v) USING gbk) USING utf8mb4)) = '3F'");
    std::vector<bool> lacks(0x10000);
    for (size_t row = 0; row < packet.RowCount; ++row)
        lacks[static_cast<size_t>(Column(packet, "lead").Int64(row) * 256 +
                                  Column(packet, "trail").Int64(row))] = true;
    EXPECT_EQ(packet.RowCount, 2149u);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            EXPECT_EQ(platform::GbkLacks(static_cast<unsigned char>(lead),
                                         static_cast<unsigned char>(trail)),
                      lacks[static_cast<size_t>(lead * 256 + trail)])
                << std::hex << lead << ' ' << trail;
        }
}

} // namespace
