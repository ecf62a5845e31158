#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/RowSelection.h"
#include "app/ScriptAssembly.h"
#include "base/Exception.h"
#include "platform/CodePage.h"
#include "tests/app/TestResults.h"

namespace {

std::string CodePage(const char* utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

// The users table of the examples: (1, Tom) and (2, null), both ticked, SEL first.
void LoadUsers(TResultSet& result, TestColumn sel) {
    result.LoadPacket(
        MakePacket({sel,
                    {"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(1), Int(2)}},
                    {"name", TFieldType::ftString, TValueStorage::Bytes, {Bytes("Tom"), Null()}}}));
}

struct ExportRun {
    std::string Text;
    std::vector<std::string> Statuses;
    int RowHooks = 0;
    int Written = 0;
};

ExportRun Export(TResultSet& result, TExportOptions options) {
    ExportRun run;
    options.OnStatus = [&](const std::string& text) { run.Statuses.push_back(text); };
    options.OnRow = [&](int row, int count) {
        ++run.RowHooks;
        EXPECT_EQ(row, run.RowHooks);
        EXPECT_EQ(count, result.RecordCount());
        EXPECT_TRUE(result.ControlsDisabled());
    };
    TStringList lines{"old script"};
    run.Written = GenerateInsertScript(result, lines, options);
    run.Text = lines.Text();
    return run;
}

// The summary with any elapsed time written with two decimals.
bool IsSummary(const std::string& text, int records) {
    std::string head = CodePage("导出") + std::to_string(records) + CodePage("条记录(耗时:");
    std::string tail = CodePage("秒)");
    if (text.size() < head.size() + tail.size() + 4 || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    std::string seconds = text.substr(head.size(), text.size() - head.size() - tail.size());
    size_t point = seconds.find('.');
    return point != std::string::npos && point > 0 && seconds.size() - point == 3 &&
           seconds.find_first_not_of("0123456789.") == std::string::npos;
}

// A sink that fails on its n-th Add, like a full disk.
class FailingLines : public TStringList {
public:
    explicit FailingLines(int failAt) : FFailAt(failAt) {}
    int Add(const std::string& line) override {
        if (Count() + 1 == FFailAt)
            throw EWriteError("Cannot write to script.sql: No space left on device");
        return TStringList::Add(line);
    }

private:
    int FFailAt;
};

// The lines of a T-SQL script that run something other than the export's own statements: text
// outside comments on a line that starts with a comment, or a line that starts with another
// word. Brackets, strings and nested block comments are followed across lines, so a line
// break inside a quoted name continues its statement. inserts counts the INSERT lines.
std::vector<std::string> ForeignMssqlLines(const std::string& script, int& inserts) {
    static const std::vector<std::string> allowed = {"INSERT", "GO",   "SET",
                                                     "DELETE", "DBCC", "Values"};
    std::vector<std::string> foreign;
    enum { Code, Bracket, Quote, Block, Line } state = Code;
    int depth = 0;
    bool lineStart = true, commentLine = false;
    size_t lineBegin = 0;
    inserts = 0;
    for (size_t i = 0; i < script.size(); ++i) {
        char c = script[i];
        char next = i + 1 < script.size() ? script[i + 1] : '\0';
        if (c == '\r' || c == '\n') {
            if (state == Line) state = Code;
            // Inside a name or string the line continues its statement.
            lineStart = state == Code || state == Block;
            commentLine = state == Block;
            lineBegin = i + 1;
            continue;
        }
        switch (state) {
        case Bracket:
            if (c == ']') {
                if (next == ']')
                    ++i;
                else
                    state = Code;
            }
            continue;
        case Quote:
            if (c == '\'') {
                if (next == '\'')
                    ++i;
                else
                    state = Code;
            }
            continue;
        case Block:
            if (c == '/' && next == '*') ++depth, ++i;
            if (c == '*' && next == '/' && --depth == 0) state = Code, ++i;
            continue;
        case Line:
            continue;
        case Code:
            break;
        }
        if (c == ' ' || c == '\t') continue;
        if ((c == '/' && next == '*') || (c == '-' && next == '-')) {
            state = c == '/' ? Block : Line;
            depth = 1;
            ++i;
            if (lineStart) commentLine = true;
            lineStart = false;
            continue;
        }
        size_t end = script.find_first_of(" \r\n", lineBegin);
        std::string line = script.substr(lineBegin, end - lineBegin);
        if (commentLine) {
            foreign.push_back(line);
            commentLine = false;
        } else if (lineStart) {
            size_t wordEnd = script.find_first_of(" (\r\n", i);
            std::string word = script.substr(i, wordEnd - i);
            if (word == "INSERT") ++inserts;
            if (std::find(allowed.begin(), allowed.end(), word) == allowed.end())
                foreign.push_back(line);
        }
        lineStart = false;
        if (c == '[') state = Bracket;
        if (c == '\'') state = Quote;
    }
    return foreign;
}

} // namespace

TEST(ScriptAssembly, MssqlExampleByteForByte) {
    TResultSet result;
    LoadUsers(result, BooleanSel({true, true}));
    ExportRun run = Export(result, {TDialect::dMssql, "users", true, true, "created_by", {}, {}});
    EXPECT_EQ(run.Text, "/*---------[users]-----------*/\r\n"
                        "\r\n"
                        "DELETE FROM [users]\r\n"
                        "GO\r\n"
                        "DBCC CHECKIDENT ('users', RESEED, 1)\r\n"
                        "GO\r\n"
                        "SET IDENTITY_INSERT [users] ON\r\n"
                        "INSERT INTO [users] ([id], [name]) \r\n"
                        "       Values (1, 'Tom')\r\n"
                        "\r\n"
                        "INSERT INTO [users] ([id], [name]) \r\n"
                        "       Values (2, NULL)\r\n"
                        "\r\n"
                        "SET IDENTITY_INSERT [users] OFF");
    EXPECT_EQ(run.Written, 2);
    EXPECT_EQ(run.RowHooks, 2);
    ASSERT_EQ(run.Statuses.size(), 3u);
    EXPECT_EQ(run.Statuses[0], CodePage("正在导出... 1 / 2"));
    EXPECT_EQ(run.Statuses[1], CodePage("正在导出... 2 / 2"));
    EXPECT_EQ(run.Statuses[2].substr(0, 4), "\xB5\xBC\xB3\xF6"); // 导出 in the code page
    EXPECT_TRUE(IsSummary(run.Statuses[2], 2)) << run.Statuses[2];
    // The result is back on its first row with display updates on.
    EXPECT_EQ(result.RecNo(), 1);
    EXPECT_FALSE(result.Eof());
    EXPECT_FALSE(result.ControlsDisabled());
}

TEST(ScriptAssembly, MysqlExampleByteForByteWithPlainReseedLine) {
    TResultSet result;
    LoadUsers(result, IntegerSel({1, 1}));
    ExportRun run = Export(result, {TDialect::dMysql, "users", true, true, "", {}, {}});
    EXPECT_EQ(run.Text, CodePage("-- 导出表中的数据 `users`") +
                            "\r\n"
                            "\r\n"
                            "DELETE FROM `users`;\r\n"
                            "\r\n"
                            "ALTER TABLE `users` AUTO_INCREMENT =1;\r\n"
                            "\r\n"
                            "INSERT INTO `users` (`id`, `name`) VALUES \r\n"
                            "(1, 'Tom');\r\n"
                            "\r\n"
                            "INSERT INTO `users` (`id`, `name`) VALUES \r\n"
                            "(2, NULL);\r\n");
    EXPECT_EQ(run.Written, 2);
}

TEST(ScriptAssembly, EdgeCasesOfTheStatementFrame) {
    TResultSet result;
    LoadUsers(result, BooleanSel({false, false}));
    // No ticked row: header (and the identity pair) only, 0 records in the summary.
    ExportRun none = Export(result, {TDialect::dMssql, "users", false, true, "", {}, {}});
    EXPECT_EQ(none.Text, "/*---------[users]-----------*/\r\n\r\nSET IDENTITY_INSERT [users] ON\r\n"
                         "SET IDENTITY_INSERT [users] OFF");
    ASSERT_EQ(none.Statuses.size(), 1u);
    EXPECT_TRUE(IsSummary(none.Statuses[0], 0));
    EXPECT_EQ(none.RowHooks, 2);

    // The reseed line quotes the name as a string, the DELETE line escapes it as a name.
    ExportRun ohara = Export(result, {TDialect::dMssql, "O'Hara]x", true, false, "", {}, {}});
    EXPECT_EQ(ohara.Text,
              "/*---------[O'Hara]]x]-----------*/\r\n\r\nDELETE FROM [O'Hara]]x]\r\nGO\r\n"
              "DBCC CHECKIDENT ('O''Hara]x', RESEED, 1)\r\nGO");
    ExportRun mysqlOhara = Export(result, {TDialect::dMysql, "a`b", true, true, "", {}, {}});
    EXPECT_EQ(mysqlOhara.Text,
              CodePage("-- 导出表中的数据 `a``b`") +
                  "\r\n\r\nDELETE FROM `a``b`;\r\n\r\nALTER TABLE `a``b` AUTO_INCREMENT =1;\r\n");

    // No table opened: empty name; a SEL-only result: empty list and the bare value prefix.
    TResultSet selOnly;
    selOnly.LoadPacket(MakePacket({BooleanSel({true})}));
    EXPECT_EQ(Export(selOnly, {TDialect::dMssql, "", false, false, "", {}, {}}).Text,
              "/*---------[]-----------*/\r\n\r\nINSERT INTO [] () \r\n       Values (\r\n");
    EXPECT_EQ(Export(selOnly, {TDialect::dMysql, "T", false, false, "", {}, {}}).Text,
              CodePage("-- 导出表中的数据 `T`") + "\r\n\r\nINSERT INTO `T` () VALUES \r\n(\r\n");
}

TEST(ScriptAssembly, TicksFollowTheSelKindWhateverTheDialect) {
    // An integer SEL is ticked only by exactly 1 (5 shows a tick but is not exported).
    TResultSet integerSel;
    integerSel.LoadPacket(MakePacket({IntegerSel({1, 5, 0, 1}),
                                      {"id",
                                       TFieldType::ftInteger,
                                       TValueStorage::Int64,
                                       {Int(10), Int(20), Int(30), Int(40)}}}));
    for (TDialect dialect : {TDialect::dMssql, TDialect::dMysql}) {
        ExportRun run = Export(integerSel, {dialect, "t", false, false, "", {}, {}});
        EXPECT_EQ(run.Written, 2);
        EXPECT_NE(run.Text.find("(10)"), std::string::npos);
        EXPECT_EQ(run.Text.find("(20)"), std::string::npos);
        EXPECT_EQ(run.Text.find("(30)"), std::string::npos);
        EXPECT_NE(run.Text.find("(40)"), std::string::npos);
    }
    TResultSet booleanSel;
    booleanSel.LoadPacket(
        MakePacket({BooleanSel({false, true}),
                    {"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(10), Int(20)}}}));
    ExportRun mysql = Export(booleanSel, {TDialect::dMysql, "t", false, false, "", {}, {}});
    EXPECT_EQ(mysql.Text, CodePage("-- 导出表中的数据 `t`") +
                              "\r\n\r\nINSERT INTO `t` (`id`) VALUES \r\n(20);\r\n");

    // Ticking all works the same across kinds, and the export sees it.
    SetAllSelected(integerSel, true);
    EXPECT_EQ(Export(integerSel, {TDialect::dMssql, "t", false, false, "", {}, {}}).Written, 4);
    SetAllSelected(booleanSel, false);
    EXPECT_EQ(Export(booleanSel, {TDialect::dMysql, "t", false, false, "", {}, {}}).Written, 0);
}

// 揮 (93 5D) ends in the bracket's byte and 乣 (81 60) in the backquote's: both stay whole in
// every name of the script. The tick column is the one the packet marks, wherever it stands
// and whatever a user column is called.
TEST(ScriptAssembly, MultibyteNamesStayWholeAndTheTickColumnIsFoundByItsPlace) {
    const std::string hui = "\x93\x5D", jiu = "\x81\x60";
    TestColumn tick = IntegerSel({1, 0});
    TResultSet result;
    result.LoadPacket(
        MakePacket({tick,
                    {"sel", TFieldType::ftInteger, TValueStorage::Int64, {Int(0), Int(1)}},
                    {hui + jiu, TFieldType::ftInteger, TValueStorage::Int64, {Int(7), Int(8)}}}));
    EXPECT_EQ(result.Fields(0).FieldName(), "SEL_1");
    EXPECT_EQ(result.Fields(1).FieldName(), "sel");
    EXPECT_EQ(Export(result, {TDialect::dMssql, hui + "]" + jiu, true, true, "", {}, {}}).Text,
              "/*---------[" + hui + "]]" + jiu + "]-----------*/\r\n\r\nDELETE FROM [" + hui +
                  "]]" + jiu + "]\r\nGO\r\nDBCC CHECKIDENT ('" + hui + "]" + jiu +
                  "', RESEED, 1)\r\nGO\r\n"
                  "SET IDENTITY_INSERT [" +
                  hui + "]]" + jiu +
                  "] ON\r\n"
                  "INSERT INTO [" +
                  hui + "]]" + jiu + "] ([sel], [" + hui + jiu +
                  "]) \r\n       Values (0, 7)\r\n\r\n"
                  "SET IDENTITY_INSERT [" +
                  hui + "]]" + jiu + "] OFF");
    EXPECT_EQ(Export(result, {TDialect::dMysql, jiu + "`" + hui, true, false, "", {}, {}}).Text,
              CodePage("-- 导出表中的数据 `") + jiu + "``" + hui + "`\r\n\r\nDELETE FROM `" + jiu +
                  "``" + hui + "`;\r\n\r\nALTER TABLE `" + jiu + "``" + hui +
                  "` AUTO_INCREMENT =1;\r\n\r\n"
                  "INSERT INTO `" +
                  jiu + "``" + hui + "` (`sel`, `" + hui + jiu + "`) VALUES \r\n(0, 7);\r\n");
}

TEST(ScriptAssembly, ValuesOfEveryKindStayOnTheirLine) {
    TResultSet result;
    result.LoadPacket(
        MakePacket({BooleanSel({true}),
                    {"txt", TFieldType::ftString, TValueStorage::Bytes, {Bytes("a\r\nb\\")}},
                    {"w", TFieldType::ftWideString, TValueStorage::Bytes, {Bytes("x\ny")}},
                    {"note", TFieldType::ftMemo, TValueStorage::Bytes, {Null()}},
                    {"amount", TFieldType::ftBCD, TValueStorage::Decimal, {Null()}}}));
    TExportOptions options{TDialect::dMssql, "t", false, false, "NOTE, amount", {}, {}};
    TStringList lines;
    GenerateInsertScript(result, lines, options);
    EXPECT_EQ(lines.Get(3),
              "       Values ('a' + CHAR(13) + CHAR(10) + 'b\\', N'x' + NCHAR(10) + N'y', ' ', 0)");
    options.Dialect = TDialect::dMysql;
    GenerateInsertScript(result, lines, options);
    EXPECT_EQ(lines.Get(3), "('a\\r\\nb\\\\', 'x\\ny', ' ', 0);");
    for (int i = 0; i < lines.Count(); ++i)
        EXPECT_EQ(lines.Get(i).find_first_of("\r\n"), std::string::npos) << i;
}

TEST(ScriptAssembly, AnErrorStopsTheExportButRestoresTheResult) {
    TResultSet result;
    LoadUsers(result, BooleanSel({true, true}));
    // The sink fails on the second row's statement head (line 7 of 9 with the identity option).
    FailingLines lines(7);
    std::vector<std::string> statuses;
    TExportOptions options{
        TDialect::dMssql, "users", false, true, "", {}, [&](const std::string& text) {
            statuses.push_back(text);
        }};
    result.Next();
    EXPECT_THROW(GenerateInsertScript(result, lines, options), EWriteError);
    EXPECT_EQ(lines.Count(), 6);
    EXPECT_EQ(lines.Get(5), "");
    EXPECT_EQ(lines.Text().find("OFF"), std::string::npos);
    EXPECT_EQ(result.RecNo(), 1);
    EXPECT_FALSE(result.ControlsDisabled());
    ASSERT_FALSE(statuses.empty());
    EXPECT_TRUE(IsSummary(statuses.back(), 2));

    // A value that cannot be written stops the export the same way.
    TResultSet bad;
    bad.LoadPacket(MakePacket(
        {BooleanSel({true}), {"f", TFieldType::ftFloat, TValueStorage::Double, {Dbl(HUGE_VAL)}}}));
    TStringList partial;
    EXPECT_THROW(
        GenerateInsertScript(bad, partial, {TDialect::dMysql, "t", false, false, "", {}, {}}),
        EConvertError);
    EXPECT_EQ(partial.Count(), 2);
    EXPECT_FALSE(bad.ControlsDisabled());

    // No SEL column: the data layer's message, with display updates restored.
    TResultSet noSel;
    noSel.LoadPacket(MakePacket({{"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(1)}}}));
    TStringList sink;
    try {
        GenerateInsertScript(noSel, sink, {TDialect::dMssql, "t", false, false, "", {}, {}});
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "Field 'SEL' not found");
    }
    EXPECT_FALSE(noSel.ControlsDisabled());
}

TEST(ScriptAssembly, NoTableNameLeavesTheHeaderComment) {
    TResultSet result;
    LoadUsers(result, BooleanSel({true, false}));
    // Control characters would end the line comment; in T-SQL, which nests block comments,
    // "*/" would close the header early and "/*" keep it open past the statements.
    struct Case {
        std::string Name, Mssql, Mysql;
    } cases[] = {
        {"a\rb", "[a?b]", "`a?b`"},
        {"nl\nDROP TABLE victim;#", "[nl?DROP TABLE victim;#]", "`nl?DROP TABLE victim;#`"},
        {"a\tb\x7F\x1A", "[a?b??]", "`a?b??`"},
        {"x*/ DROP TABLE victim /*", "[x* / DROP TABLE victim / *]", "`x*/ DROP TABLE victim /*`"},
        {"*/*", "[* / *]", "`*/*`"},
        {"/*/", "[/ * /]", "`/*/`"},
        {"\xD6\xD0*\xD6\xD0/", "[\xD6\xD0*\xD6\xD0/]", "`\xD6\xD0*\xD6\xD0/`"},
    };
    for (const Case& c : cases) {
        TStringList mssql, mysql;
        GenerateInsertScript(result, mssql, {TDialect::dMssql, c.Name, false, false, "", {}, {}});
        GenerateInsertScript(result, mysql, {TDialect::dMysql, c.Name, false, false, "", {}, {}});
        EXPECT_EQ(mssql.Get(0), "/*---------" + c.Mssql + "-----------*/");
        EXPECT_EQ(mysql.Get(0), CodePage("-- 导出表中的数据 ") + c.Mysql);
        // The statements quote the name unchanged: a line break in it stays inside the
        // brackets or backquotes of one INSERT line.
        EXPECT_EQ(mssql.Get(2),
                  "INSERT INTO " + QuoteName(c.Name, TDialect::dMssql) + " ([id], [name]) ");
        EXPECT_EQ(mysql.Get(2),
                  "INSERT INTO " + QuoteName(c.Name, TDialect::dMysql) + " (`id`, `name`) VALUES ");
        EXPECT_EQ(mssql.Count(), 5);
        EXPECT_EQ(mysql.Count(), 5);
    }
}

TEST(ScriptAssembly, MssqlScriptsOfHostileNamesAndValuesRunOnlyTheirOwnStatements) {
    TResultSet result;
    result.LoadPacket(MakePacket(
        {BooleanSel({true, true, true}),
         {"id]\n/*", TFieldType::ftInteger, TValueStorage::Int64, {Int(1), Int(2), Int(3)}},
         {"v",
          TFieldType::ftWideString,
          TValueStorage::Bytes,
          {Bytes("\x95\x5C'); DROP TABLE victim; -- "), Bytes("x*/ GO\r\nDROP TABLE victim /*"),
           Bytes("\xD6\xD0\\\n]'")}}}));
    const std::string names[] = {"x*/ DROP TABLE victim /*", "nl\nDROP TABLE victim;--",
                                 "a/*\r\n[q]*/ b", "*/*", "open /*"};
    for (const std::string& name : names) {
        TStringList lines;
        GenerateInsertScript(result, lines, {TDialect::dMssql, name, true, true, "", {}, {}});
        int inserts = 0;
        EXPECT_EQ(ForeignMssqlLines(lines.Text(), inserts), std::vector<std::string>{})
            << lines.Text();
        EXPECT_EQ(inserts, 3) << lines.Text();
    }
}

TEST(ScriptAssembly, AQualifiedTableIsQuotedPartByPart) {
    TResultSet result;
    LoadUsers(result, BooleanSel({true, false}));
    TExportOptions mssql{TDialect::dMssql, "us]ers", true, false, "", {}, {}};
    mssql.TableQualifiers = {"my.db", "dbo"};
    EXPECT_EQ(Export(result, mssql).Text,
              "/*---------[my.db].[dbo].[us]]ers]-----------*/\r\n\r\n"
              "DELETE FROM [my.db].[dbo].[us]]ers]\r\nGO\r\n"
              "DBCC CHECKIDENT ('[my.db].[dbo].[us]]ers]', RESEED, 1)\r\nGO\r\n"
              "INSERT INTO [my.db].[dbo].[us]]ers] ([id], [name]) \r\n"
              "       Values (1, 'Tom')\r\n");
    TExportOptions mysql{TDialect::dMysql, "\x81\x60", false, false, "", {}, {}};
    mysql.TableQualifiers = {"a`b"};
    EXPECT_EQ(Export(result, mysql).Text, CodePage("-- 导出表中的数据 ") + "`a``b`.`\x81\x60`" +
                                              "\r\n\r\nINSERT INTO `a``b`.`\x81\x60` (`id`, "
                                              "`name`) VALUES \r\n(1, 'Tom');\r\n");
}
