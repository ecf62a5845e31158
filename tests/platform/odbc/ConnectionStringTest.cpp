// OLE DB connection texts from old histories, translated for the installed ODBC drivers.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/odbc/ConnectionString.h"

namespace {

using platform::odbc::OdbcConnectionValue;
using platform::odbc::TranslateConnectionString;

const std::vector<std::string> kInstalled = {"FreeTDS", "MariaDB Unicode", "SQLite", "SQLite3"};

std::string Translate(const std::string& text) { return TranslateConnectionString(text, kInstalled); }

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
    EXPECT_EQ(Translate("Provider=MSDASQL.1;Persist Security Info=True;Extended Properties=\"DRIVER={MySQL "
                        "ODBC 5.3 Unicode Driver};SERVER=192.168.1.20;UID=root;PWD=secret;"
                        "DATABASE=shop;PORT=3306\""),
              "Driver=MariaDB Unicode;Server=192.168.1.20;Port=3306;Database=shop;UID=root;PWD=secret");
    EXPECT_EQ(Translate("Provider=MSDASQL.1;Extended Properties=\"DRIVER={MySQL ODBC 8.0 ANSI Driver};"
                        "SERVER=h;PWD={se;cret};OPTION=3\";User ID=root"),
              "Driver=MariaDB Unicode;Server=h;UID=root;PWD={se;cret};OPTION=3");
    EXPECT_EQ(Translate("Provider=MSDASQL.1;Password=pw;User ID=sa;Data Source=LocalServer"),
              "DSN=LocalServer;UID=sa;PWD=pw");
    EXPECT_EQ(Translate("Provider=MSDASQL;Extended Properties=\"DSN=mydsn;UID=a\""), "DSN=mydsn;UID=a");
    EXPECT_EQ(Translate("Provider=MySQLProv;Location=h;Data Source=shop;User Id=u;Password=p"),
              "Driver=MariaDB Unicode;Server=h;Database=shop;UID=u;PWD=p");
}

TEST(ConnectionString, OdbcTextsPassThrough) {
    const std::string plain = "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=shop;UID=u;PWD={a;b}";
    EXPECT_EQ(Translate(plain), plain);
    EXPECT_EQ(Translate("DSN=erp;UID=sa;PWD=x"), "DSN=erp;UID=sa;PWD=x");
    EXPECT_EQ(Translate("Driver=SQLite3;Database=/tmp/demo.db"), "Driver=SQLite3;Database=/tmp/demo.db");
    // A driver of another machine is replaced by the installed one for the same database.
    EXPECT_EQ(Translate("DRIVER={MySQL ODBC 5.1 Driver};SERVER=h;DATABASE=d"),
              "DRIVER=MariaDB Unicode;SERVER=h;DATABASE=d");
    EXPECT_EQ(Translate("Driver={SQL Server};Server=h"), "Driver=FreeTDS;Server=h");
    EXPECT_EQ(OdbcConnectionValue(plain, "pwd"), "a;b");
    EXPECT_EQ(OdbcConnectionValue(plain, "server"), "127.0.0.1");
    EXPECT_EQ(OdbcConnectionValue(plain, "charset"), "");
}

TEST(ConnectionString, UnusableKeysAndProvidersAreNamed) {
    EXPECT_EQ(ErrorOf("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=erp;Data Source=h"),
              "\"Integrated Security=SSPI\" (Windows authentication) cannot be used here; give User ID "
              "and Password instead");
    EXPECT_NE(ErrorOf("Provider=SQLNCLI11;Trusted_Connection=yes;Server=h").find("Trusted_Connection"),
              std::string::npos);
    EXPECT_EQ(ErrorOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\a.mdb"),
              "The OLE DB provider \"Microsoft.Jet.OLEDB.4.0\" has no ODBC counterpart here; use an ODBC "
              "connection text (Driver=...)");
    EXPECT_EQ(ErrorOf("Provider=SQLOLEDB;Data Source=h;Attach DBFilename=x.mdf"),
              "The connection key \"Attach DBFilename\" cannot be used here");
    EXPECT_NE(ErrorOf("Provider=SQLOLEDB;Password=\"abc").find("no closing quote"), std::string::npos);
    EXPECT_NE(ErrorOf("Driver={MariaDB Unicode;Server=h").find("no closing brace"), std::string::npos);
    EXPECT_NE(ErrorOf("Provider=MSDASQL.1;User ID=u").find("neither a DSN nor a driver"), std::string::npos);
    // Integrated Security=False is harmless.
    EXPECT_EQ(Translate("Provider=SQLOLEDB;Integrated Security=False;Data Source=h;User ID=u"),
              "Driver=FreeTDS;Server=h;UID=u");
}

} // namespace
