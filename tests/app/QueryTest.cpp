// The statement for a table, the SEL rewrite and the query/command decision.
#include <gtest/gtest.h>

#include "app/Query.h"

namespace {

std::string Rewritten(const std::string& statement, TDialect dialect) {
    return InsertSelectionColumn(statement, dialect).Statement;
}

TEST(QuoteName, QuotesForEachDialectAndDoublesOnlyTheClosingQuote) {
    EXPECT_EQ(QuoteName("order", TDialect::dMssql), "[order]");
    EXPECT_EQ(QuoteName("order", TDialect::dMysql), "`order`");
    EXPECT_EQ(QuoteName("a]b[c", TDialect::dMssql), "[a]]b[c]");
    EXPECT_EQ(QuoteName("a`b", TDialect::dMysql), "`a``b`");
    EXPECT_EQ(QuoteName("my table-1", TDialect::dMysql), "`my table-1`");
    // Two-byte characters whose second byte is ']' or '`' stay whole.
    EXPECT_EQ(QuoteName("\x81\x5D\x81\x60", TDialect::dMssql), "[\x81\x5D\x81\x60]");
    EXPECT_EQ(QuoteName("\x81\x60", TDialect::dMysql), "`\x81\x60`");
}

TEST(TableSelectStatement, BuildsTheFirstRowsStatement) {
    EXPECT_EQ(TableSelectStatement("users", TDialect::dMssql, "100"),
              "Select top 100 * \rFrom [users]");
    EXPECT_EQ(TableSelectStatement("order", TDialect::dMysql, " 5 "),
              "Select * \rFrom `order` LIMIT 0 , 5");
    // No limit: every row.
    EXPECT_EQ(TableSelectStatement("t", TDialect::dMssql, "  "), "Select * \rFrom [t]");
    EXPECT_EQ(TableSelectStatement("t", TDialect::dMysql, ""), "Select * \rFrom `t`");
    EXPECT_EQ(TableSelectStatement("t", TDialect::dMysql, "abc"),
              "Select * \rFrom `t` LIMIT 0 , abc");
}

TEST(InsertSelectionColumn, ExamplesKeepEveryByteOfTheStatement) {
    const TDialect ms = TDialect::dMssql, my = TDialect::dMysql;
    EXPECT_EQ(Rewritten("Select top 100 * \rFrom users", ms),
              "Select top 100 convert(bit, 0) AS SEL, * \rFrom users");
    EXPECT_EQ(Rewritten("select count(*) from t", ms),
              "select convert(bit, 0) AS SEL, count(*) from t");
    EXPECT_EQ(Rewritten("Select * \rFrom t LIMIT 0 , 100", my),
              "Select *, cast(0 as UNSIGNED) AS SEL \rFrom t LIMIT 0 , 100");
    EXPECT_EQ(Rewritten("select id, laptop from t", ms),
              "select convert(bit, 0) AS SEL, id, laptop from t");
    EXPECT_EQ(Rewritten("select id, stopped from t", ms),
              "select convert(bit, 0) AS SEL, id, stopped from t");
    EXPECT_EQ(Rewritten("select a, b from t", my),
              "select cast(0 as UNSIGNED) AS SEL, a, b from t");
    // String constants keep their case and their double blanks.
    EXPECT_EQ(Rewritten("SELECT TOP 5 a FROM T WHERE x='AB  C'", ms),
              "SELECT TOP 5 convert(bit, 0) AS SEL, a FROM T WHERE x='AB  C'");
    EXPECT_EQ(Rewritten("select count(*) from t", my),
              "select cast(0 as UNSIGNED) AS SEL, count(*) from t");
}

TEST(InsertSelectionColumn, SkipsDistinctAllAndTopClauses) {
    const TDialect ms = TDialect::dMssql, my = TDialect::dMysql;
    EXPECT_EQ(Rewritten("select distinct a from t", ms),
              "select distinct convert(bit, 0) AS SEL, a from t");
    EXPECT_EQ(Rewritten("SELECT ALL * FROM t", my),
              "SELECT ALL *, cast(0 as UNSIGNED) AS SEL FROM t");
    EXPECT_EQ(
        Rewritten("select distinct top (10) percent with ties a from t order by a", ms),
        "select distinct top (10) percent with ties convert(bit, 0) AS SEL, a from t order by a");
    EXPECT_EQ(Rewritten("select top(@n*2) * from t", ms),
              "select top(@n*2) convert(bit, 0) AS SEL, * from t");
    EXPECT_EQ(Rewritten("select top 10 percent [top] from t", ms),
              "select top 10 percent convert(bit, 0) AS SEL, [top] from t");
    EXPECT_EQ(Rewritten("SELECT SQL_NO_CACHE DISTINCT * FROM t", my),
              "SELECT SQL_NO_CACHE DISTINCT *, cast(0 as UNSIGNED) AS SEL FROM t");
    // In MySQL "top" is an ordinary name.
    EXPECT_EQ(Rewritten("select top from t", my), "select cast(0 as UNSIGNED) AS SEL, top from t");
}

TEST(InsertSelectionColumn, IgnoresKeywordsInsideStringsNamesAndComments) {
    const TDialect ms = TDialect::dMssql, my = TDialect::dMysql;
    EXPECT_EQ(Rewritten("/* select * */ -- select\r\n select a from [select]", ms),
              "/* select * */ -- select\r\n select convert(bit, 0) AS SEL, a from [select]");
    EXPECT_EQ(Rewritten("# select\nselect `select` from t", my),
              "# select\nselect cast(0 as UNSIGNED) AS SEL, `select` from t");
    EXPECT_EQ(Rewritten("exec('select') ; select 'x'", ms),
              "exec('select') ; select convert(bit, 0) AS SEL, 'x'");
    // A backslash escape in a MySQL string does not end it.
    EXPECT_EQ(Rewritten("insert into t values ('it\\' select'); select * from t", my),
              "insert into t values ('it\\' select'); select *, cast(0 as UNSIGNED) AS SEL from t");
    // t.* is no bare star.
    EXPECT_EQ(Rewritten("select t.* from t", my), "select cast(0 as UNSIGNED) AS SEL, t.* from t");
    // Chinese text passes unchanged; its second bytes are never read as letters or quotes.
    EXPECT_EQ(Rewritten("select \xC3\xFB\xB3\xC6 from t where n='\x95\x5C'", ms),
              "select convert(bit, 0) AS SEL, \xC3\xFB\xB3\xC6 from t where n='\x95\x5C'");
    EXPECT_EQ(Rewritten("select\t\n*\tfrom t", my),
              "select\t\n*, cast(0 as UNSIGNED) AS SEL\tfrom t");
}

TEST(InsertSelectionColumn, LeavesStatementsWithoutSelectAlone) {
    EXPECT_EQ(Rewritten("update t set selected = 1", TDialect::dMssql),
              "update t set selected = 1");
    EXPECT_EQ(Rewritten("show tables", TDialect::dMysql), "show tables");
    EXPECT_EQ(Rewritten("select top (5 a from t", TDialect::dMssql), "select top (5 a from t");
}

TEST(IsQueryText, TheFirstKeywordDecides) {
    const TDialect ms = TDialect::dMssql, my = TDialect::dMysql;
    EXPECT_TRUE(IsQueryText("select 1", ms));
    EXPECT_TRUE(IsQueryText("SeLeCt * from t", my));
    EXPECT_TRUE(IsQueryText("((select 1)) union (select 2)", ms));
    EXPECT_TRUE(IsQueryText("/* note */ -- a line\n select a from t", ms));
    EXPECT_TRUE(IsQueryText("# note\nselect 1", my));
    EXPECT_FALSE(IsQueryText("# note\nselect 1", ms)); // '#' starts no comment in T-SQL
    EXPECT_FALSE(IsQueryText("update t set selected = 1", ms));
    EXPECT_FALSE(IsQueryText("insert into t select * from u", my));
    EXPECT_FALSE(IsQueryText("delete from t where x = 'select'", ms));
    EXPECT_FALSE(IsQueryText("/* select */ delete from t", ms));
    EXPECT_FALSE(IsQueryText("selected", ms));
    EXPECT_FALSE(IsQueryText("", ms));
    EXPECT_FALSE(IsQueryText("-- select", ms));
}

} // namespace
