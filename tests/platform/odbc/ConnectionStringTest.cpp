// OLE DB connection texts from old histories, translated for the installed ODBC drivers.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/CodePage.h"
#include "platform/odbc/ConnectionString.h"

namespace {

using platform::odbc::OdbcConnectionValue;
using platform::odbc::TranslateConnectionString;

// The message of an MSDASQL text that names no data source, in the code page.
const std::string kNoDataSource =
    platform::Utf8ToCodePage("既没有指定 DSN，也没有指定驱动程序", platform::TConversion::Strict);

const std::vector<std::string> kInstalled = {"FreeTDS", "MariaDB Unicode", "SQLite", "SQLite3"};

std::string Translate(const std::string& text) {
    return TranslateConnectionString(text, kInstalled);
}

std::string ErrorOf(const std::string& text) {
    try {
        Translate(text);
    } catch (const EDatabaseError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(ConnectionString, SqlServerProvidersBecomeFreeTds) {
    EXPECT_EQ(Translate("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=p@ss;"
                        "Initial Catalog=erp;Data Source=10.0.0.5,1433"),
              "Driver=FreeTDS;Server=10.0.0.5;Port=1433;Database=erp;UID=sa;PWD=p@ss");
    EXPECT_EQ(Translate("Provider=SQLNCLI11;Server=db\\SQLEXPRESS;Database=shop;Uid=web;Pwd=x"),
              "Driver=FreeTDS;Server=db\\SQLEXPRESS;Database=shop;UID=web;PWD=x");
    // Quoted values keep semicolons and doubled quotes; the result braces them.
    EXPECT_EQ(Translate("Provider=MSOLEDBSQL;Data Source=h;User ID=u;Password=\"a;b\"\"c\""),
              "Driver=FreeTDS;Server=h;UID=u;PWD={a;b\"c}");
    EXPECT_EQ(Translate("provider = sqloledb ; data  source = h ; user id = u ; password = ' p ' "),
              "Driver=FreeTDS;Server=h;UID=u;PWD={ p }");
}

TEST(ConnectionString, OdbcBridgeUsesExtendedPropertiesAndDsns) {
    EXPECT_EQ(
        Translate(
            "Provider=MSDASQL.1;Persist Security Info=True;Extended Properties=\"DRIVER={MySQL "
            "ODBC 5.3 Unicode Driver};SERVER=192.168.1.20;UID=root;PWD=secret;"
            "DATABASE=shop;PORT=3306\""),
        "Driver=MariaDB Unicode;Server=192.168.1.20;Port=3306;Database=shop;UID=root;PWD=secret");
    EXPECT_EQ(
        Translate("Provider=MSDASQL.1;Extended Properties=\"DRIVER={MySQL ODBC 8.0 ANSI Driver};"
                  "SERVER=h;PWD={se;cret};OPTION=3\";User ID=root"),
        "Driver=MariaDB Unicode;Server=h;UID=root;PWD={se;cret};OPTION=3");
    EXPECT_EQ(Translate("Provider=MSDASQL.1;Password=pw;User ID=sa;Data Source=LocalServer"),
              "DSN=LocalServer;UID=sa;PWD=pw");
    EXPECT_EQ(Translate("Provider=MSDASQL;Extended Properties=\"DSN=mydsn;UID=a\""),
              "DSN=mydsn;UID=a");
    EXPECT_EQ(Translate("Provider=MySQLProv;Location=h;Data Source=shop;User Id=u;Password=p"),
              "Driver=MariaDB Unicode;Server=h;Database=shop;UID=u;PWD=p");
}

TEST(ConnectionString, OdbcTextsPassThrough) {
    const std::string plain =
        "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=shop;UID=u;PWD={a;b}";
    EXPECT_EQ(Translate(plain), plain);
    EXPECT_EQ(Translate("DSN=erp;UID=sa;PWD=x"), "DSN=erp;UID=sa;PWD=x");
    // A SQLite file must exist: the driver would create a mistyped one empty.
    EXPECT_EQ(Translate("Driver=SQLite3;Database=/tmp/demo.db"),
              "Driver=SQLite3;Database=/tmp/demo.db;NoCreat=1");
    EXPECT_EQ(Translate("Driver={SQLite ODBC 3 Driver};Database=d"),
              "Driver=SQLite3;Database=d;NoCreat=1");
    EXPECT_EQ(Translate("driver=sqlite3;database=d;nocreat=0"),
              "driver=sqlite3;database=d;nocreat=0");
    // A driver of another machine is replaced by the installed one for the same database.
    EXPECT_EQ(Translate("DRIVER={MySQL ODBC 5.1 Driver};SERVER=h;DATABASE=d"),
              "DRIVER=MariaDB Unicode;SERVER=h;DATABASE=d");
    EXPECT_EQ(Translate("Driver={SQL Server};Server=h"), "Driver=FreeTDS;Server=h");
    EXPECT_EQ(OdbcConnectionValue(plain, "pwd"), "a;b");
    EXPECT_EQ(OdbcConnectionValue(plain, "server"), "127.0.0.1");
    EXPECT_EQ(OdbcConnectionValue(plain, "charset"), "");
}

TEST(ConnectionString, UnusableKeysAndProvidersAreNamed) {
    EXPECT_EQ(
        ErrorOf("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=erp;Data Source=h"),
        "\"Integrated Security=SSPI\" (Windows authentication) cannot be used here; give User ID "
        "and Password instead");
    EXPECT_NE(
        ErrorOf("Provider=SQLNCLI11;Trusted_Connection=yes;Server=h").find("Trusted_Connection"),
        std::string::npos);
    EXPECT_EQ(
        ErrorOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\a.mdb"),
        "The OLE DB provider \"Microsoft.Jet.OLEDB.4.0\" has no ODBC counterpart here; use an ODBC "
        "connection text (Driver=...)");
    EXPECT_EQ(ErrorOf("Provider=SQLOLEDB;Data Source=h;Attach DBFilename=x.mdf"),
              "The connection key \"Attach DBFilename\" cannot be used here");
    EXPECT_NE(ErrorOf("Provider=SQLOLEDB;Password=\"abc").find("no closing quote"),
              std::string::npos);
    EXPECT_NE(ErrorOf("Driver={MariaDB Unicode;Server=h").find("no closing brace"),
              std::string::npos);
    EXPECT_NE(ErrorOf("Provider=MSDASQL.1;User ID=u").find(kNoDataSource), std::string::npos);
    // Integrated Security=False is harmless.
    EXPECT_EQ(Translate("Provider=SQLOLEDB;Integrated Security=False;Data Source=h;User ID=u"),
              "Driver=FreeTDS;Server=h;UID=u");
}

} // namespace

namespace {

// A text that holds a password, the password as the user meant it, and a part of the message
// that says what is wrong ("" when the text translates).
struct TSecretCase {
    std::string Text;
    std::string Password;
    std::string Names;
};

// Every part of the password of three or more bytes, which a message must not hold.
std::vector<std::string> PartsOf(const std::string& password) {
    std::vector<std::string> parts;
    for (size_t start = 0; start < password.size(); ++start)
        for (size_t length = 3; start + length <= password.size(); ++length)
            parts.push_back(password.substr(start, length));
    return parts;
}

TEST(ConnectionString, MessagesNeverRepeatPasswords) {
    const TSecretCase cases[] = {
        // A ';' in an unenclosed password leaves a piece without '='.
        {"Driver={MariaDB Unicode};Server=h;Pwd=se;cret", "se;cret", "\"Pwd\""},
        {"Driver={MariaDB Unicode};PASSWORD=abc;defgh;Server=h", "abc;defgh", "\"PASSWORD\""},
        {"Provider=SQLOLEDB;Data Source=h;Password=se;cret;User ID=u", "se;cret", "\"Password\""},
        {"Provider=SQLOLEDB;Password=p4ss;w0rd", "p4ss;w0rd", "\"Password\""},
        // Braces are ODBC syntax: the OLE DB reading of a Provider text stops inside them.
        {"Provider=SQLOLEDB;Data Source=h;PWD={x;y}z", "x;y}z", "\"PWD\""},
        {"Provider=MSDASQL;pwd={abc;def};Extended Properties=\"DSN=d\"", "abc;def", "\"pwd\""},
        // Unclosed quotes and braces after the key.
        {"Provider=SQLOLEDB;Data Source=h;Password=\"a;bcdef", "a;bcdef", "\"Password\""},
        {"Driver={MariaDB Unicode};PWD={se;cret", "se;cret", "no closing brace"},
        {"Provider=SQLOLEDB;Password='zzz;Data Source=h", "zzz;Data Source=h", "no closing quote"},
        // Inside Extended Properties, with or without braces and quotes.
        {"Provider=MSDASQL.1;Extended Properties=\"DRIVER={MySQL ODBC 5.3 Unicode Driver};"
         "PWD=se;cret;SERVER=h\"",
         "se;cret", "\"PWD\""},
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=d;PWD={se;cret\"", "se;cret",
         "no closing brace"},
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=d;PWD=\"se;cret\"\"", "\"se;cret\"",
         "\"PWD\""},
        {"Provider=MSDASQL.1;Extended Properties=DSN=d;PWD=se;cret", "se;cret", "\"PWD\""},
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=d;PWD=\"se;cre=t\"", "\"se;cre=t\"",
         "\"PWD\""},
        // '=' and '"' in the password: the piece after ';' looks like a key.
        {"Provider=SQLOLEDB;Data Source=h;Password=top;sec=ret", "top;sec=ret",
         "after \"Password\""},
        {"Provider=SQLOLEDB;Data Source=h;Password=a\"b;cde\"f", "a\"b;cde\"f", "\"Password\""},
        {"Provider=SQLOLEDB;Data Source=h;Password=ab==cd;efg", "ab==cd;efg", "\"Password\""},
        {"Provider=SQLOLEDB;Password=\"qu\"ote;rest", "qu\"ote;rest", "\"Password\""},
        // A password that is a key name.
        {"Driver={MariaDB Unicode};PWD=x;Database", "x;Database", "\"PWD\""},
        {"Provider=SQLOLEDB;Data Source=h;Password=Server;Database", "Server;Database",
         "\"Password\""},
        // Other errors of texts that hold a password.
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\a.mdb;Jet OLEDB:Database Password=jetpw",
         "jetpw", "Microsoft.Jet.OLEDB.4.0"},
        {"Provider=SQLOLEDB;Password=mypw;Integrated Security=SSPI", "mypw", "Integrated Security"},
        {"Provider=SQLOLEDB;Password=mypw;Data Source=h;Attach DBFilename=x.mdf", "mypw",
         "\"Attach DBFilename\""},
        {"Provider=MSDASQL;Password=mypw;User ID=u", "mypw", kNoDataSource},
        // Texts that translate.
        {"Provider=SQLOLEDB;Data Source=h;Password=\"se;cret\"", "se;cret", ""},
        {"Driver={MariaDB Unicode};PWD={se;cret}", "se;cret", ""},
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=d;PWD={a;b\"\"c}\"", "a;b\"c", ""},
    };
    for (const TSecretCase& test : cases) {
        std::string message = ErrorOf(test.Text);
        if (test.Names.empty()) {
            EXPECT_EQ(message, "(no error)") << test.Text;
            continue;
        }
        EXPECT_NE(message.find(test.Names), std::string::npos) << test.Text << "\n" << message;
        for (const std::string& part : PartsOf(test.Password))
            EXPECT_EQ(message.find(part), std::string::npos)
                << test.Text << "\n"
                << message << "\nholds \"" << part << "\"";
    }
}

} // namespace
