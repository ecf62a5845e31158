// Connection texts read as key/value pairs in both syntaxes, and written back.
#include <gtest/gtest.h>

#include "base/ConnectionPairs.h"

namespace {

constexpr auto OleDb = TConnectionSyntax::OleDb;
constexpr auto Odbc = TConnectionSyntax::Odbc;

// Pairs as "key=value|key=value" for compact expectations.
std::string Listed(const TConnectionPairs& pairs) {
    std::string result;
    for (const TConnectionPair& pair : pairs)
        result += (result.empty() ? "" : "|") + pair.Key + "=" + pair.Value;
    return result;
}

TEST(ConnectionPairs, ReadsKeysAndValuesOfBothSyntaxes) {
    struct TCase {
        const char* Text;
        TConnectionSyntax Syntax;
        const char* Pairs;
    };
    const TCase cases[] = {
        // "==" in an OLE DB key is one '='; in ODBC the value starts with '='.
        {"Provider=X;Some==Key = v", OleDb, "Provider=X|Some=Key=v"},
        {"a====b=c;Provider=X", OleDb, "a==b=c|Provider=X"},
        {"PWD==abc", Odbc, "PWD==abc"},
        // Quotes of either kind in OLE DB, doubled inside; braces are plain characters there.
        {"Provider=X; A = 'it''s' ;B=\"say \"\"hi\"\"\"; C={x}", OleDb,
         "Provider=X|A=it's|B=say \"hi\"|C={x}"},
        // Braces in ODBC, "}}" inside; quotes are plain characters there.
        {"Driver={a;b}}c} ; X=\"q\"", Odbc, "Driver=a;b}c|X=\"q\""},
        // Blanks around keys and values go, blanks inside enclosed values stay.
        {" ;;  Data   Source\t=  h  ;; PWD = { p } ; ", Odbc, "Data   Source=h|PWD= p "},
    };
    for (const TCase& test : cases) {
        TConnectionText read = ReadConnectionText(test.Text);
        EXPECT_EQ(read.Error, "") << test.Text;
        EXPECT_EQ(read.Syntax, test.Syntax) << test.Text;
        EXPECT_EQ(Listed(read.Pairs), test.Pairs) << test.Text;
    }
    // Keys compare ignoring case and the number of inner blanks; the last one wins.
    TConnectionPairs pairs = ReadConnectionText("data source=a;DATA  SOURCE=b;x=1").Pairs;
    EXPECT_EQ(ConnectionValue(pairs, "Data Source"), "b");
    EXPECT_EQ(ConnectionValue(pairs, " data\tsource "), "b");
    EXPECT_EQ(ConnectionValue(pairs, "datasource"), "");
}

TEST(ConnectionPairs, FaultsNameTheKeyAndNeverThePassword) {
    struct TCase {
        const char* Text;
        const char* Names; // part of the error
        const char* Secret;
    };
    const TCase cases[] = {
        // Text after a closing brace or quote belongs to the value: an error, not dropped.
        {"Driver=X;PWD={x;y}zzz", "\"PWD\" in the connection text goes on after its closing }",
         "zzz"},
        {"Provider=X;Password='abc'def", "\"Password\"", "def"},
        {"Provider=X;Password=\"abc\"\"\"xyz;Server=h", "\"Password\"", "xyz"},
        // A quote in a nested password closed the outer value.
        {"Provider=X;Extended Properties=\"DSN=d;PWD=\"sec\"ret\"", "\"PWD\"", "ret"},
        // "Password==x" is a key holding the password.
        {"Provider=X;Password==secret", "\"Password\" in the connection text starts with '='",
         "secret"},
        {"Provider=X;Password==secret=more", "\"Password\"", "secret"},
        {"Driver=X;PWD={secret", "no closing brace", "secret"},
        {"Driver=X;PWD=ab;secret;Server=h", "\"PWD\"", "secret"},
    };
    for (const TCase& test : cases) {
        TConnectionText read = ReadConnectionText(test.Text);
        EXPECT_NE(read.Error.find(test.Names), std::string::npos) << test.Text << "\n"
                                                                  << read.Error;
        EXPECT_EQ(read.Error.find(test.Secret), std::string::npos) << read.Error;
    }
    // Blanks after a closing brace are no text.
    EXPECT_EQ(ReadConnectionText("Driver=X;PWD={x;y}  ;Server=h").Error, "");
    // The pairs before the fault stay readable.
    EXPECT_EQ(Listed(ReadConnectionText("Server=h;PWD={x").Pairs), "Server=h");
}

TEST(ConnectionPairs, ComposedValuesReadBackUnchanged) {
    const char* const values[] = {"plain", "trailing ", " leading", "a=b",   "==", "a;b", "}",
                                  "{",     "{x}",       "a}}b",     "\"q\"", "'",  "",    " "};
    for (const char* value : values) {
        TConnectionPairs pairs = {{"Driver", "FreeTDS"}, {"PWD", value}, {"Server", "h"}};
        std::string text = ComposeConnectionText(pairs);
        TConnectionText read = ReadConnectionText(text);
        EXPECT_EQ(read.Error, "") << text;
        EXPECT_EQ(Listed(read.Pairs), Listed(pairs)) << text;
    }
    EXPECT_EQ(ComposeConnectionText({{"Server", "h"}, {"PWD", "a}b "}}), "Server=h;PWD={a}}b }");
}

} // namespace
