// Reading the options of "quorvel export".
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Query.h"
#include "platform/CodePage.h"

namespace {

// A command-line user asking for a table gets all of it, and no NULL is replaced unasked.
TEST(ExportArguments, DefaultsAreEveryRowAndNoNotNullColumns) {
    TExportArguments args = ParseExportArguments({"--connect", "DSN=x", "--table", "users"});
    EXPECT_EQ(args.Connect, "DSN=x");
    EXPECT_EQ(args.Dialect, TDialect::dMssql);
    EXPECT_EQ(args.Table, "users");
    EXPECT_EQ(args.Top, "");
    EXPECT_EQ(args.Into, "");
    EXPECT_EQ(args.NotNull, "");
    EXPECT_FALSE(args.Reseed);
    EXPECT_FALSE(args.Identity);
    EXPECT_EQ(args.Output, "");
    EXPECT_EQ(args.Encoding, TScriptEncoding::GB18030);
}

TEST(ExportArguments, ReadsEveryOptionAndConvertsTextsToTheCodePage) {
    TExportArguments args = ParseExportArguments(
        {"--connect=Driver={MariaDB Unicode};PWD=a=b", "--dbtype", "mysql", "--sql",
         "  select * from 客户\r\n", "--into", "客户", "--not-null", "备注, note", "--reseed",
         "--identity", "--output", "out.sql", "--encoding=UTF-8"});
    EXPECT_EQ(args.Connect, "Driver={MariaDB Unicode};PWD=a=b");
    EXPECT_EQ(args.Dialect, TDialect::dMysql);
    EXPECT_EQ(args.Sql,
              platform::Utf8ToCodePage("select * from 客户", platform::TConversion::Strict));
    EXPECT_EQ(args.Into, platform::Utf8ToCodePage("客户", platform::TConversion::Strict));
    EXPECT_EQ(args.NotNull, platform::Utf8ToCodePage("备注, note", platform::TConversion::Strict));
    EXPECT_TRUE(args.Reseed);
    EXPECT_TRUE(args.Identity);
    EXPECT_EQ(args.Output, "out.sql");
    EXPECT_EQ(args.Encoding, TScriptEncoding::Utf8);
    EXPECT_EQ(ParseExportArguments({"--connect", "DSN=x", "--table", "t", "--top", "200000"}).Top,
              "200000");
    EXPECT_EQ(ParseExportArguments({"--connect", "DSN=x", "--table", "t", "--into", "u"}).Into,
              "u");
    EXPECT_NO_THROW(ParseExportArguments(
        {"--connect", "DSN=x", "--sql", "with c as (select 1 a) select a from c", "--into", "t"}));
}

TEST(ExportArguments, RejectsWrongCombinations) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--table", "t"},
        {"--connect", " ", "--table", "t"},
        {"--connect", "DSN=x"},
        {"--connect", "DSN=x", "--table", "t", "--sql", "select 1"},
        {"--connect", "DSN=x", "--sql", "select 1", "--into", "t", "--top", "5"},
        {"--connect", "DSN=x", "--sql", "select 1"},
        {"--connect", "DSN=x", "--sql", "select 1", "--into", " "},
        {"--connect", "DSN=x", "--sql", "with c as (select 1) delete from t", "--into", "t"},
        {"--connect", "DSN=x", "--table", "t", "--top", "0"},
        {"--connect", "DSN=x", "--table", "t", "--top", "-5"},
        {"--connect", "DSN=x", "--table", " "},
        {"--connect", "DSN=x", "--sql", "update t set a = 1", "--into", "t"},
        {"--connect", "DSN=x", "--table", "t", "--identity=1"},
        {"--connect", "DSN=x", "--table", "t", "--output"},
        {"--connect", "DSN=x", "--table", "t", "--dbtype", "MySQL"},
        {"--connect", "\xC0\x80", "--table", "t"},
    };
    for (const auto& args : wrong)
        EXPECT_THROW(ParseExportArguments(args), EUsageError) << args.back();
}

} // namespace
