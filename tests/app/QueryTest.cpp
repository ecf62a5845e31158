// The statement for a table, the SEL rewrite and the query/command decision.
#include <gtest/gtest.h>

#include "app/Query.h"

#include <string>
#include <utility>
#include <vector>

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

// A compound query's rewrite: in Expected, '$' stands for the dialect's selection column.
struct TRewriteCase {
    const char* Statement;
    TDialect Dialect;
    const char* Expected;
    TSelectionPlace Place;
};

std::string WithColumn(std::string text, TDialect dialect) {
    const std::string column =
        dialect == TDialect::dMssql ? "convert(bit, 0) AS SEL" : "cast(0 as UNSIGNED) AS SEL";
    for (size_t pos = text.find('$'); pos != std::string::npos; pos = text.find('$', pos))
        text.replace(pos, 1, column);
    return text;
}

void ExpectRewrites(const std::vector<TRewriteCase>& cases) {
    for (const TRewriteCase& c : cases) {
        TSelectionQuery query = InsertSelectionColumn(c.Statement, c.Dialect);
        EXPECT_TRUE(query.Inserted) << c.Statement;
        EXPECT_EQ(query.Statement, WithColumn(c.Expected, c.Dialect));
        EXPECT_EQ(query.Place, c.Place) << c.Statement;
    }
}

constexpr TDialect mssql = TDialect::dMssql, mysql = TDialect::dMysql;
constexpr TSelectionPlace first = TSelectionPlace::First, last = TSelectionPlace::Last;

// The column goes into the main SELECT; the CTE bodies are left as typed.
TEST(InsertSelectionColumn, PutsTheColumnAfterTheCteList) {
    ExpectRewrites({
        {"with c as (select a from t) select a from c", mssql,
         "with c as (select a from t) select $, a from c", first},
        {";WITH c AS (SELECT 1 a) SELECT TOP 5 a FROM c", mssql,
         ";WITH c AS (SELECT 1 a) SELECT TOP 5 $, a FROM c", first},
        {"with a as (select 1 x), b (y, z) as (select x, x from a) select * from b", mysql,
         "with a as (select 1 x), b (y, z) as (select x, x from a) select *, $ from b", last},
        {"WITH RECURSIVE n (i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5) "
         "SELECT i FROM n",
         mysql,
         "WITH RECURSIVE n (i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5) "
         "SELECT $, i FROM n",
         first},
        {"with c as (select (select max(a) from (select a from t) x) m) select m from c", mssql,
         "with c as (select (select max(a) from (select a from t) x) m) select $, m from c", first},
        // Keywords in names, strings and comments of a CTE.
        {"with [select] as (select 'union select' s /* ) select */) select s from [select] "
         "-- union select 1",
         mssql,
         "with [select] as (select 'union select' s /* ) select */) select $, s from [select] "
         "-- union select 1",
         first},
        {"with `union` as (select ')' s # ) select\n) select s from `union`", mysql,
         "with `union` as (select ')' s # ) select\n) select $, s from `union`", first},
        // A compound or parenthesized main statement.
        {"with c as (select 1 a) select a from c union all select 2", mssql,
         "with c as (select 1 a) select $, a from c union all select $, 2", first},
        {"with c as (select 1 a) (select a from c) union (select * from c) order by 1", mysql,
         "with c as (select 1 a) (select a, $ from c) union (select *, $ from c) order by 1", last},
        {"with xmlnamespaces ('urn:x' as x), c as (select 1 a) select a from c for xml path", mssql,
         "with xmlnamespaces ('urn:x' as x), c as (select 1 a) select $, a from c for xml path",
         first},
        // WITH (NOLOCK) and WITH (ROWLOCK) are table hints, not CTE lists.
        {"select a from t with (nolock) union select b from u with (nolock)", mssql,
         "select $, a from t with (nolock) union select $, b from u with (nolock)", first},
        {"update t with (rowlock) set a = 1; select a from t", mssql,
         "update t with (rowlock) set a = 1; select $, a from t", first},
    });
}

// Each top-level branch gets the column at the same place; subqueries never do.
TEST(InsertSelectionColumn, PutsTheColumnIntoEveryBranchOfASetOperation) {
    ExpectRewrites({
        {"select a from t union select b from u", mssql,
         "select $, a from t union select $, b from u", first},
        {"select a from t union all select b from u union distinct select c from v", mysql,
         "select $, a from t union all select $, b from u union distinct select $, c from v",
         first},
        {"SELECT a FROM t INTERSECT SELECT a FROM u EXCEPT SELECT a FROM v", mssql,
         "SELECT $, a FROM t INTERSECT SELECT $, a FROM u EXCEPT SELECT $, a FROM v", first},
        {"(select a from t) union (select b from u) order by 1", mysql,
         "(select $, a from t) union (select $, b from u) order by 1", first},
        {"((select 1) union (select 2)) union select 3", mssql,
         "((select $, 1) union (select $, 2)) union select $, 3", first},
        {"select a from t union select b from u order by 1 limit 5", mysql,
         "select $, a from t union select $, b from u order by 1 limit 5", first},
        {"select a, (select max(b) from u) m from t where a in (select a from v union select 1) "
         "union select 1, 2",
         mssql,
         "select $, a, (select max(b) from u) m from t where a in (select a from v union select "
         "1) union select $, 1, 2",
         first},
        {"select distinct top 1 a from t union all select top (2) percent with ties b from u",
         mssql,
         "select distinct top 1 $, a from t union all select top (2) percent with ties $, b from u",
         first},
        {"select a, fromage, `union` from t union select 1, 2, 3", mysql,
         "select $, a, fromage, `union` from t union select $, 1, 2, 3", first},
        // Only the first statement is the query.
        {"select a from t union select b from u; select c from v", mssql,
         "select $, a from t union select $, b from u; select c from v", first},
    });
}

// MySQL takes a bare * only first, so one such branch moves the column to the end of every list.
TEST(InsertSelectionColumn, OneBareStarBranchPutsTheColumnLastInEveryBranch) {
    ExpectRewrites({
        {"select a, b from t union select * from u", mysql,
         "select a, b, $ from t union select *, $ from u", last},
        {"(select * from t limit 1) union all (select x.*, f(a, b) from u x)", mysql,
         "(select *, $ from t limit 1) union all (select x.*, f(a, b), $ from u x)", last},
        {"select 1 union select *, a order by 1", mysql,
         "select 1, $ union select *, a, $ order by 1", last},
        {"select *, a from t", mysql, "select *, a, $ from t", last},
        {"(select *, a) union (select 1, 2)", mysql, "(select *, a, $) union (select 1, 2, $)",
         last},
        {"select DISTINCT *, (a) where 1 group by 1", mysql,
         "select DISTINCT *, (a), $ where 1 group by 1", last},
        {"select *, a into @x, @y from t", mysql, "select *, a, $ into @x, @y from t", last},
        {"select *, a for update", mysql, "select *, a, $ for update", last},
        {"select *, 1 limit 1", mysql, "select *, 1, $ limit 1", last},
        {"select *, a; select 2", mysql, "select *, a, $; select 2", last},
        {"select *, a", mysql, "select *, a, $", last},
        // Trail bytes equal to ` and \ stay inside their characters.
        {"select * from `\x81\x60` union select '\x95\x5C' from u", mysql,
         "select *, $ from `\x81\x60` union select '\x95\x5C', $ from u", last},
        // SQL Server takes * anywhere: the column stays first.
        {"select * from t union select * from u", mssql,
         "select $, * from t union select $, * from u", first},
    });
}

// Where the dialects read quotes, comments and multibyte characters differently, a "select"
// or "union" inside them must stay text.
TEST(InsertSelectionColumn, EachDialectReadsItsOwnQuotesCommentsAndCharacters) {
    ExpectRewrites({
        // T-SQL has no backslash escapes: the string ends after the backslash.
        {"select 'C:\\' as p union select 'x' from t", mssql,
         "select $, 'C:\\' as p union select $, 'x' from t", first},
        // MySQL's does: \' is part of the string.
        {"select 'it\\' union select 1' as p from t", mysql,
         "select $, 'it\\' union select 1' as p from t", first},
        // A lone CR ends a line comment, as in the window's own statements.
        {"select -- note\r* from t union select * from u", mysql,
         "select -- note\r*, $ from t union select *, $ from u", last},
        // A bare [ opens no name in MySQL, so what follows it is read as keywords.
        {"select a [union select b] from t", mysql, "select $, a [union select $, b] from t",
         first},
        {"select [union select b] from t", mssql, "select $, [union select b] from t", first},
        // 昞 (95 5C) and 揮 (93 5D): the trail byte escapes nothing and closes nothing.
        {"select '\x95\x5C' union select 2", mysql, "select $, '\x95\x5C' union select $, 2",
         first},
        {"select [\x93\x5D union select 2] from t", mssql,
         "select $, [\x93\x5D union select 2] from t", first},
        {"select `\x81\x60 union select 2` from t", mysql,
         "select $, `\x81\x60 union select 2` from t", first},
        // Parentheses nest in TOP.
        {"select top ((5)) a from t", mssql, "select top ((5)) $, a from t", first},
        {"select top (select max(n) from u) a from t union select top 1 b from v", mssql,
         "select top (select max(n) from u) $, a from t union select top 1 $, b from v", first},
    });
}

TEST(InsertSelectionColumn, LeavesCommandsAndUnbalancedQueriesAlone) {
    std::string deep = std::string(1000, '(') + "select 1" + std::string(1000, ')');
    const std::vector<std::pair<std::string, TDialect>> unchanged = {
        {"with c as (select 1 a) delete from t where a in (select a from c)", mssql},
        {"with c as (select 1 a) update t set a = 1", mssql},
        {"(select a from t union select b from u", mysql},
        {"select a from t union (select b from u", mssql},
        {"select a) union (select b", mssql},
        {"select a from t union", mssql},
        {"with c as (select 1 a select a from c", mssql},
        {deep, mssql},
    };
    for (const auto& [statement, dialect] : unchanged) {
        TSelectionQuery query = InsertSelectionColumn(statement, dialect);
        EXPECT_FALSE(query.Inserted) << statement.substr(0, 60);
        EXPECT_EQ(query.Statement, statement);
    }
    // Nesting as deep as people write still works.
    std::string nested = std::string(50, '(') + "select 1" + std::string(50, ')');
    EXPECT_EQ(Rewritten(nested, mssql),
              std::string(50, '(') + "select convert(bit, 0) AS SEL, 1" + std::string(50, ')'));
}

TEST(IsQueryText, AWithQueryIsOneWhenItsMainStatementIsASelect) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"with c as (select 1 a) select a from c", true},
        {"WITH RECURSIVE n AS (select 1) select * from n", true},
        {"with a as (select 1), b (x, y) as (select 1, 2) (select * from b) union select 1, 2",
         true},
        {"(with c as (select 1 a) select a from c)", true},
        {";with c as (select ')' a) select a from c", true},
        {"with c as (select 1 a) delete from t where a in (select a from c)", false},
        {"with c as (select 1 a) update t set a = (select a from c)", false},
        {"WITH c AS (SELECT 1 a) INSERT INTO t SELECT * FROM c", false},
        {"with c as (select 1 a) /* select */ merge t using c on 1 = 1", false},
        {"with c as (select 1 a", false},
        {"with c select 1", false},
        {"with", false},
    };
    for (const auto& [text, query] : cases) {
        EXPECT_EQ(IsQueryText(text, TDialect::dMssql), query) << text;
        EXPECT_EQ(IsQueryText(text, TDialect::dMysql), query) << text;
    }
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

namespace {

// The parts joined by '|', or "-" when the query names no single table.
std::string TableOf(const std::string& statement, TDialect dialect) {
    std::vector<std::string> parts = QueryTableName(statement, dialect);
    if (parts.empty()) return "-";
    std::string dump;
    for (const std::string& part : parts)
        dump += (dump.empty() ? "" : "|") + part;
    return dump;
}

} // namespace

TEST(QueryTableName, OneTableInTheTopLevelFromOrNone) {
    const TDialect ms = TDialect::dMssql, my = TDialect::dMysql;
    struct TCase {
        const char* Statement;
        TDialect Dialect;
        const char* Table;
    };
    const TCase cases[] = {
        {"select id, name from people where id = 7", my, "people"},
        {"SELECT * FROM People", ms, "People"},
        {"select * from people;", my, "people"},
        {"select * from people p", my, "people"},
        {"select * from people as p order by 1", my, "people"},
        {"select * from people limit 5", my, "people"},
        {"select a from t group by a having count(*) > 1", my, "t"},
        {"select * from [dbo].[order] with (nolock) where x = 1", ms, "dbo|order"},
        {"select * from db.t", my, "db|t"},
        {"select * from srv_db.dbo.t", ms, "srv_db|dbo|t"},
        {"select * from a.b.c.d", ms, "-"},
        {"select * from `my table-1`", my, "my table-1"},
        {"select * from `a``b`", my, "a`b"},
        {"select * from [a]]b]", ms, "a]b"},
        {"select * from \"x y\"", ms, "x y"},
        {"select * from 'people'", my, "-"},
        {"select * from 2024data", my, "2024data"},
        {"select * from #work", ms, "#work"},
        {"select * from @rows", ms, "-"},
        // FROM in the select list, in strings and in comments is not the table's.
        {"select (select max(id) from other) m from t", my, "t"},
        {"select 'from x' s from t", my, "t"},
        {"select a /* from x */ from -- from y\r\n t", ms, "t"},
        {"select a # from x\n from t", my, "t"},
        {"select * from t where id in (select id from u)", my, "t"},
        // Joins, lists and subqueries name no single table.
        {"select * from t join u on t.id = u.id", my, "-"},
        {"select * from t inner join u on 1 = 1", ms, "-"},
        {"select * from t left outer join u on 1 = 1", ms, "-"},
        {"select * from t, u", my, "-"},
        {"select * from t natural join u", my, "-"},
        {"select * from t cross apply f(t.id) x", ms, "-"},
        {"select * from (select * from t) x", my, "-"},
        {"with c as (select * from t) select * from c", ms, "-"},
        {"select 1", my, "-"},
        {"select 1 from dual", my, "-"},
        {"select * from", my, "-"},
        {"select * from t where (x = 1", my, "-"},
        // Every branch of a UNION must name the same table.
        {"select a from t union all select a from t order by 1", my, "t"},
        {"select a from t union select a from u", my, "-"},
        {"(select a from t) union (select b from t)", my, "t"},
        {"update t set a = 1", my, "-"},
        // GB18030 names: a trail byte equal to ']' '`' '[' or a letter stays in its character.
        {"select * from \xBF\xCD\xBB\xA7 where 1 = 1", my, "\xBF\xCD\xBB\xA7"},
        {"select * from [\x93\x5D\xB1\xED]", ms, "\x93\x5D\xB1\xED"},
        {"select * from `\x81\x60`.`\xB1\xED`", my, "\x81\x60|\xB1\xED"},
        {"select * from \x81\x5B\xB1\xED x", ms, "\x81\x5B\xB1\xED"},
        {"select * from \x81\x77here", my, "\x81\x77here"},
        {"select * from \x81\x30\x81\x30", my, "\x81\x30\x81\x30"},
        {"select * from [\xBF\xCD].dbo.\xBB\xA7", ms, "\xBF\xCD|dbo|\xBB\xA7"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TableOf(c.Statement, c.Dialect), c.Table) << c.Statement;
}
