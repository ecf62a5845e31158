// The export grid: one column of every MariaDB kind, more rows than one fetch block, NULLs in
// patterns and in a run across the block boundary; the same data for every export path.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "platform/Database.h"

namespace testing_support {

// Each column: name, type, value of row n.
struct TGridColumn {
    const char* Name;
    const char* Type;
    const char* Value;
};
inline const TGridColumn kGrid[] = {
    {"ti", "tinyint", "IF(n%3=0, NULL, n%256-128)"},
    {"tiu", "tinyint unsigned", "IF(n%4=1, NULL, n%256)"},
    {"si", "smallint", "IF(n%7<2, NULL, n*13%65536-32768)"},
    {"miu", "mediumint unsigned", "IF(n BETWEEN 1000 AND 1100, NULL, n*977)"},
    {"i", "int", "IF(n%3=1, NULL, n*2654435%2147483647-1073741823)"},
    {"iu", "int unsigned", "IF(n%3=2, NULL, 4294967295-n)"},
    {"bi", "bigint", "IF(n%6=0, NULL, n*n*n*1000003*IF(n%2=0, -1, 1))"},
    {"biu", "bigint unsigned", "IF(n%5=0, NULL, 18446744073709551615-n*n)"},
    {"dec20", "decimal(20,6)", "IF(n%3=0, NULL, n*1234.567891-900000)"},
    {"fl", "float", "IF(n%3=0, NULL, n/7-100)"},
    {"dbl", "double", "IF(n%4=0, NULL, n*1e0/3*1e10-7)"},
    {"b1", "bit(1)", "IF(n%3=0, NULL, n%2)"},
    {"b8", "bit(8)", "IF(n%5=3, NULL, n%256)"},
    {"bo", "bool", "IF(n%3=1, NULL, n%2)"},
    {"yr", "year", "IF(n%3=0, NULL, 1901+n%255)"},
    {"d", "date", "IF(n%4=2, NULL, DATE '2000-01-01' + INTERVAL n DAY)"},
    {"t", "time(6)", "IF(n%3=0, NULL, SEC_TO_TIME(n*97-50000.123456))"},
    {"dt", "datetime(6)",
     "IF(n%5=4, NULL, TIMESTAMP '2020-02-29 23:59:59.999999' + INTERVAL n*3607 SECOND)"},
    {"ts", "timestamp(3) NULL", "IF(n%3=2, NULL, FROM_UNIXTIME(1000000000+n*86399.123))"},
    {"ch", "char(8)", "IF(n%3=0, NULL, CONCAT('c', n))"},
    {"vc", "varchar(40)",
     "IF(n%7=3, NULL, CONCAT('誠實', n, CHAR(39), CHAR(92), CHAR(13, 10), '昞乣揮'))"},
    {"bn", "binary(4)", "IF(n%3=1, NULL, UNHEX(LPAD(HEX(n*2654435761%4294967296), 8, '0')))"},
    {"vb", "varbinary(16)", "IF(n%4=3, NULL, UNHEX(CONCAT(LPAD(HEX(n), 4, '0'), '005C27FF')))"},
    {"en", "enum('a','中','c')", "IF(n%3=0, NULL, ELT(n%3+1, 'a', '中', 'c'))"},
    {"st", "set('x','y')", "IF(n%5=0, NULL, ELT(n%4+1, '', 'x', 'y', 'x,y'))"},
    // A long column makes the fetch go row by row.
    {"pad", "text", "IF(n%2=0, NULL, CONCAT('long ', n, ' 中'))"},
};
constexpr int kGridRows = 1500;

inline std::string GridColumns(bool withPad) {
    std::string list;
    for (const TGridColumn& column : kGrid)
        if (withPad || std::string(column.Name) != "pad") list += std::string(", ") + column.Name;
    return list;
}

// Creates and fills the table "grid" on database, and the view "grid_block" of every column
// but the long one, whose rows are fetched in blocks.
inline void CreateGrid(platform::TDatabase& database) {
    std::string create = "CREATE TABLE grid (id int PRIMARY KEY";
    std::string values = "INSERT INTO grid SELECT n";
    for (const TGridColumn& column : kGrid) {
        create += std::string(", ") + column.Name + " " + column.Type;
        values += std::string(", ") + column.Value;
    }
    auto codePage = [](const std::string& utf8) {
        return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
    };
    database.ExecuteCommand(codePage(create + ")"));
    database.ExecuteCommand(codePage(values +
                                     " FROM (SELECT CAST(seq AS SIGNED) AS n FROM seq_1_to_" +
                                     std::to_string(kGridRows) + ") s"));
    database.ExecuteCommand("CREATE VIEW grid_block AS SELECT id" + GridColumns(false) +
                            " FROM grid");
}

} // namespace testing_support
