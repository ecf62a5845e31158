// Reading the options of "quorvel export".
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Query.h"
#include "platform/CodePage.h"

namespace {

TEST(ExportArguments, DefaultsMirrorTheWindow) {
    TExportArguments args = ParseExportArguments({"--connect", "DSN=x", "--table", "users"});
    EXPECT_EQ(args.Connect, "DSN=x");
    EXPECT_EQ(args.Dialect, kDialectMssql);
    EXPECT_EQ(args.Table, "users");
    EXPECT_EQ(args.Top, "100");
    EXPECT_EQ(args.NotNull, "created_by");
    EXPECT_FALSE(args.Reseed);
    EXPECT_FALSE(args.Identity);
    EXPECT_EQ(args.Output, "");
    EXPECT_EQ(args.Encoding, TScriptEncoding::GB18030);
}

TEST(ExportArguments, ReadsEveryOptionAndConvertsTextsToTheCodePage) {
    TExportArguments args = ParseExportArguments(
        {"--connect=Driver={MariaDB Unicode};PWD=a=b", "--dbtype", "mysql", "--sql", "  select * from 客户\r\n",
         "--not-null", "备注, note", "--reseed", "--identity", "--output", "out.sql", "--encoding=UTF-8"});
    EXPECT_EQ(args.Connect, "Driver={MariaDB Unicode};PWD=a=b");
    EXPECT_EQ(args.Dialect, kDialectMysql);
    EXPECT_EQ(args.Sql, platform::Utf8ToCodePage("select * from 客户", platform::TConversion::Strict));
    EXPECT_EQ(args.NotNull, platform::Utf8ToCodePage("备注, note", platform::TConversion::Strict));
    EXPECT_TRUE(args.Reseed);
    EXPECT_TRUE(args.Identity);
    EXPECT_EQ(args.Output, "out.sql");
    EXPECT_EQ(args.Encoding, TScriptEncoding::Utf8);
    EXPECT_EQ(ParseExportArguments({"--connect", "DSN=x", "--table", "t", "--top", "200000"}).Top, "200000");
}

TEST(ExportArguments, RejectsWrongCombinations) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--table", "t"},
        {"--connect", " ", "--table", "t"},
        {"--connect", "DSN=x"},
        {"--connect", "DSN=x", "--table", "t", "--sql", "select 1"},
        {"--connect", "DSN=x", "--sql", "select 1", "--top", "5"},
        {"--connect", "DSN=x", "--table", "t", "--top", "0"},
        {"--connect", "DSN=x", "--table", "t", "--top", "-5"},
        {"--connect", "DSN=x", "--table", " "},
        {"--connect", "DSN=x", "--sql", "update t set a = 1"},
        {"--connect", "DSN=x", "--table", "t", "--identity=1"},
        {"--connect", "DSN=x", "--table", "t", "--output"},
        {"--connect", "DSN=x", "--table", "t", "--dbtype", "MySQL"},
        {"--connect", "\xC0\x80", "--table", "t"},
    };
    for (const auto& args : wrong) EXPECT_THROW(ParseExportArguments(args), EUsageError) << args.back();
}

} // namespace
