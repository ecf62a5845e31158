// Every fetch path (bound blocks, bound single rows, SQLGetData) delivers exactly what the
// database holds: each value is compared with the text the database's own client prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/Format.h"
#include "platform/CodePage.h"
#include "tests/e2e/Run.h"
#include "tests/integration/TestServer.h"

namespace {

using testserver::Env;

// More than one block (at most 1024 rows); QUORVEL_FETCH_ROWS makes it smaller under valgrind.
size_t RowCount() {
    std::string rows = Env("QUORVEL_FETCH_ROWS");
    return rows.empty() ? 2500 : std::stoul(rows);
}

// A column filled from seq; Truth prints its value on the database's client ({} = the column).
// A long column is read in chunks, and every statement that has one fetches row by row.
struct TColumnCase {
    const char* Name;
    const char* Type;
    const char* Value;
    const char* Truth;
    bool Long = false;
};

const TColumnCase kMariaDbColumns[] = {
    {"ti", "tinyint", "seq % 256 - 128", "{}"},
    {"tiu", "tinyint unsigned", "seq % 256", "{}"},
    {"si", "smallint", "seq * 26 - 32768", "{}"},
    {"siu", "smallint unsigned", "seq * 26", "{}"},
    {"mi", "mediumint", "seq * 6700 - 8388608", "{}"},
    {"miu", "mediumint unsigned", "seq * 6700", "{}"},
    {"i", "int", "seq * 1717986 - 2147483648", "{}"},
    {"iu", "int unsigned", "seq * 1717986", "{}"},
    {"bi", "bigint", "seq * 3689348814741910 - 9223372036854775807", "{}"},
    {"biu", "bigint unsigned", "18446744073709551615 - seq * 3689348814741910", "{}"},
    {"de", "decimal(30,8)", "(seq - 1250) * 12345678901.23456789 / 7", "{}"},
    {"fl", "float", "(seq - 1250) * pow(2, seq % 60 - 30)", "cast({} as double)"},
    {"db", "double", "(seq - 1250) / 7e0 * pow(10, seq % 40 - 20)", "{}"},
    {"b1", "bit(1)", "seq % 2", "{} + 0"},
    {"bo", "bool", "seq % 2", "{}"},
    {"yr", "year", "1901 + seq % 255", "{}"},
    {"dt", "date", "'1000-01-01' + interval seq * 97 day", "{}"},
    {"tm", "time(6)", "sec_to_time(seq * 331 - 400000 + (seq % 1000) * 0.000001)", "{}"},
    {"dtm", "datetime(6)", "'2001-02-03 04:05:06' + interval seq * 86461000037 microsecond", "{}"},
    {"ts", "timestamp null", "'2001-02-03 04:05:06' + interval seq * 3607 second", "{}"},
    {"ch", "char(8)", "concat('c', seq % 997, if(seq % 5 = 0, ' ', ''))", "hex({})"},
    {"vc", "varchar(40)", "concat('中文', seq, repeat('誠', seq % 5), if(seq % 7 = 0, '😀', ''))",
     "hex({})"},
    {"bn", "binary(4)", "unhex(lpad(hex(seq * 1677), 8, '0'))", "hex({})"},
    {"vb", "varbinary(8)", "if(seq % 11 = 0, '', unhex(hex(seq * 977 + 255)))", "hex({})"},
    {"en", "enum('a','b','中')", "elt(1 + seq % 3, 'a', 'b', '中')", "hex({})"},
    {"st", "set('x','y','z')", "seq % 8", "hex({})"},
    {"js", "json", "json_object('k', seq, 'v', '中')", "hex({})", true},
    {"tx", "text", "repeat(concat('t', seq, '文'), seq % 4)", "hex({})", true},
    {"bl", "blob", "unhex(repeat(hex(seq * 65521), seq % 3))", "hex({})", true},
};

const TColumnCase kSqliteColumns[] = {
    {"i", "integer", "seq * 7378697629483820 - 9223372036854775807", "{}"},
    {"si", "smallint", "seq * 26 - 32768", "{}"},
    {"fl", "real", "(seq - 1250) * 0.25", "printf('%.17g', {})"},
    // The driver reads reals through 15-digit text, so only values with fewer digits survive.
    {"db", "double", "(seq - 1250) / 1024.0", "printf('%.17g', {})"},
    {"b1", "bit", "seq % 2", "{}"},
    {"dt", "date", "date('2000-01-01', '+' || (seq * 7) || ' days')", "{}"},
    {"dtm", "datetime", "datetime('2001-02-03 04:05:06', '+' || (seq * 86461) || ' seconds')",
     "{}"},
    {"vc", "varchar(40)", "'中文' || seq || substr('誠誠誠誠', 1, seq % 5)", "hex({})"},
    {"tx", "text", "'t' || seq || '文'", "hex({})", true},
    {"bl", "blob", "cast(('b' || seq) as blob)", "hex({})", true},
};

// The long column that makes a statement fetch one row at a time.
const TColumnCase kMariaDbLong = {"lt", "longtext", "concat('long', seq, '文')", "hex({})", true};
const TColumnCase kSqliteLong = {"lt", "longtext", "'long' || seq || '文'", "hex({})", true};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Hex(std::string_view bytes) {
    std::string hex;
    for (unsigned char c : bytes)
        hex += Format("%02X", c);
    return hex;
}

std::string Cp(const std::string& utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

// A fetched value in the form the database's client prints it (numbers, dates, hex bytes).
std::string Fetched(const TFieldDef& field, const TColumnData& column, size_t row) {
    if (column.IsNull(row)) return "NULL";
    switch (column.Storage()) {
    case TValueStorage::Int64:
        return std::to_string(column.Int64(row));
    case TValueStorage::UInt64:
        return std::to_string(column.UInt64(row));
    case TValueStorage::Double:
        return Format("%.17g", column.Double(row));
    case TValueStorage::Single:
        return Format("%.17g", static_cast<double>(column.Single(row)));
    case TValueStorage::Boolean:
        return column.Boolean(row) ? "1" : "0";
    case TValueStorage::DateTime: {
        if (column.HasDateTimeText(row)) return std::string(column.Bytes(row));
        const TDateTimeParts& v = column.DateTime(row);
        std::string text;
        if (field.DataType != TFieldType::ftTime)
            text = Format("%04d-%02u-%02u", v.Year, v.Month, v.Day);
        if (field.DataType == TFieldType::ftDate) return text;
        if (!text.empty()) text += ' ';
        text += Format("%s%02u:%02u:%02u", v.Negative ? "-" : "", v.Hour, v.Minute, v.Second);
        if (field.Scale > 0) text += Format(".%09u", v.Nanoseconds).substr(0, field.Scale + 1);
        return text;
    }
    default: {
        std::string_view bytes = column.Bytes(row);
        bool binary = field.DataType == TFieldType::ftBytes ||
                      field.DataType == TFieldType::ftVarBytes ||
                      field.DataType == TFieldType::ftBlob;
        if (column.Storage() == TValueStorage::Decimal) return std::string(bytes);
        return Hex(binary ? std::string(bytes)
                          : platform::CodePageToUtf8(bytes, platform::TConversion::Strict));
    }
    }
}

// The client's text of a value, with floating point made as exact as Fetched prints it.
std::string Expected(const TFieldDef& field, const std::string& text) {
    bool floating =
        field.Storage == TValueStorage::Double || field.Storage == TValueStorage::Single;
    return floating && text != "NULL" ? Format("%.17g", std::strtod(text.c_str(), nullptr)) : text;
}

// Rows of tab-separated values as a client printed them.
std::vector<std::vector<std::string>> SplitRows(const std::string& output) {
    std::vector<std::vector<std::string>> rows;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end - start);
        start = end == std::string::npos ? output.size() : end + 1;
        std::vector<std::string> cells;
        for (size_t at = 0;;) {
            size_t tab = line.find('\t', at);
            cells.push_back(line.substr(at, tab - at));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// Builds table t from the columns (each with its own nulls: every third row shifted by the
// column, and a run across the first block's end), asks the client for every value, and runs
// each statement of the grid against it.
class TFetchGrid {
public:
    // client: the database's command-line client, to which the query is added.
    TFetchGrid(platform::TDatabase& db, std::vector<TColumnCase> columns,
               std::vector<std::string> client, bool sqlite)
        : FDb(db), FColumns(std::move(columns)), FClient(std::move(client)) {
        FColumns.push_back(sqlite ? kSqliteLong : kMariaDbLong);
        std::string create = "CREATE TABLE t (id int PRIMARY KEY";
        std::string insert = "INSERT INTO t SELECT seq";
        std::string truth = "SELECT id";
        for (size_t k = 0; k < FColumns.size(); ++k) {
            const TColumnCase& column = FColumns[k];
            std::string name = std::string("c_") + column.Name;
            create += ", " + name + " " + column.Type;
            insert +=
                Format(", CASE WHEN (seq + %zu) %% 3 = 0 OR seq BETWEEN %zu AND %zu THEN NULL "
                       "ELSE %s END",
                       k, 1000 + 3 * k, 1090 + 3 * k, column.Value);
            truth += ", CASE WHEN " + name + " IS NULL THEN NULL ELSE " +
                     Replace(column.Truth, "{}", name) + " END";
        }
        std::string rows = std::to_string(RowCount());
        if (sqlite)
            insert =
                "WITH RECURSIVE s(seq) AS (SELECT 1 UNION ALL SELECT seq + 1 FROM s WHERE seq < " +
                rows + ") " + insert + " FROM s";
        else
            insert += " FROM (SELECT CAST(seq AS SIGNED) AS seq FROM seq_1_to_" + rows + ") s";
        FDb.ExecuteCommand(Cp(create + ")"));
        FDb.ExecuteCommand(Cp(insert));
        FTruth = SplitRows(Client(truth + " FROM t ORDER BY id"));
        EXPECT_EQ(FTruth.size(), RowCount());
    }

    void EachAlone() {
        for (size_t k = 0; k + 1 < FColumns.size(); ++k)
            Run({FColumns[k]});
    }
    // The short columns alone are fetched in blocks.
    void AllMixed() {
        std::vector<TColumnCase> shortOnes;
        std::copy_if(FColumns.begin(), FColumns.end(), std::back_inserter(shortOnes),
                     [](const TColumnCase& column) { return !column.Long; });
        Run(shortOnes);
        Run({FColumns.begin(), FColumns.end() - 1});
    }

    // The columns with and without the long column, with the selection column last after *
    // (through a view) and first.
    void Run(const std::vector<TColumnCase>& columns) {
        std::string list;
        for (const TColumnCase& column : columns)
            list += std::string(", c_") + column.Name;
        for (bool withLong : {false, true}) {
            std::string view = "v" + std::to_string(++FViews);
            FDb.ExecuteCommand("CREATE VIEW " + view + " AS SELECT id" + list +
                               (withLong ? ", c_lt" : "") + " FROM t");
            Check("SELECT *, CAST(0 AS UNSIGNED) AS SEL FROM " + view + " ORDER BY id");
            // The long column first: the columns after it are read with SQLGetData.
            Check("SELECT CAST(0 AS UNSIGNED) AS SEL, id" + std::string(withLong ? ", c_lt" : "") +
                  list + " FROM t ORDER BY id");
        }
    }

private:
    std::string Client(const std::string& query) {
        std::vector<std::string> args = FClient;
        args.push_back(query);
        e2e::TRunResult result = e2e::RunProgram(args);
        EXPECT_EQ(result.Status, 0) << result.Err;
        return result.Out;
    }

    void Check(const std::string& statement) {
        SCOPED_TRACE(statement);
        TDataPacket packet = FDb.OpenQuery(Cp(statement));
        ASSERT_EQ(packet.RowCount, FTruth.size());
        for (size_t f = 0; f < packet.Fields.size(); ++f) {
            const TFieldDef& field = packet.Fields[f];
            size_t cell = 0; // SEL is 0 on every row
            for (size_t k = 0; k < FColumns.size(); ++k)
                if (field.Name == "c_" + std::string(FColumns[k].Name)) cell = k + 1;
            ASSERT_TRUE(cell > 0 || field.Name == "id" || field.Name == "SEL") << field.Name;
            for (size_t row = 0; row < packet.RowCount; ++row) {
                std::string want = field.Name == "SEL" ? "0" : Expected(field, FTruth[row][cell]);
                std::string got = Fetched(field, packet.Columns[f], row);
                if (got != want) {
                    ADD_FAILURE() << field.Name << " row " << row + 1 << ": fetched " << got
                                  << ", holds " << want;
                    break;
                }
            }
        }
    }

    platform::TDatabase& FDb;
    std::vector<TColumnCase> FColumns; // the long column last
    std::vector<std::string> FClient;
    int FViews = 0;
    std::vector<std::vector<std::string>> FTruth;
};

class TFetchPathTest : public testserver::TMariaDbTest {
protected:
    TFetchGrid Grid() {
        return TFetchGrid(*Db, {std::begin(kMariaDbColumns), std::end(kMariaDbColumns)},
                          {"mariadb", "--no-defaults", "--socket=" + Env("QUORVEL_TEST_DB_SOCKET"),
                           "--user=" + Env("QUORVEL_TEST_DB_USER"),
                           "--password=" + Env("QUORVEL_TEST_DB_PASSWORD"),
                           "--database=" + DatabaseName(), "--batch", "--raw",
                           "--skip-column-names", "-e"},
                          false);
    }
};

TEST_F(TFetchPathTest, MariaDbEachTypeAlone) {
    Grid().EachAlone();
}

TEST_F(TFetchPathTest, MariaDbAllTypesMixed) {
    Grid().AllMixed();
}

// The SQLite3 driver through the same grid, for the types SQLite has.
class TSqliteFetchPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        int fd = mkstemp(FPath);
        ASSERT_GE(fd, 0);
        close(fd);
        Db = platform::CreateDatabase();
        Db->SetConnectionString(std::string("Driver=SQLite3;Database=") + FPath);
        Db->Open();
    }
    void TearDown() override {
        if (Db) Db->Close();
        std::remove(FPath);
    }
    TFetchGrid Grid() {
        return TFetchGrid(
            *Db, {std::begin(kSqliteColumns), std::end(kSqliteColumns)},
            {"sqlite3", "-batch", "-noheader", "-separator", "\t", "-nullvalue", "NULL", FPath},
            true);
    }

    char FPath[32] = "/tmp/quorvel-fetch-XXXXXX";
    std::unique_ptr<platform::TDatabase> Db;
};

TEST_F(TSqliteFetchPathTest, EachTypeAlone) {
    Grid().EachAlone();
}

TEST_F(TSqliteFetchPathTest, AllTypesMixed) {
    Grid().AllMixed();
}

} // namespace
