// The connection dialog reads a history entry as the connection does.
#include <gtest/gtest.h>

#include "app/ConnectionText.h"
#include "platform/odbc/ConnectionString.h"

namespace {

using platform::odbc::OdbcConnectionValue;

const std::vector<std::string> kInstalled = {"FreeTDS", "MariaDB Unicode", "SQLite3"};

// "server|port|database|user|password" as the dialog reads text.
std::string DialogReading(const std::string& text) {
    TConnectionFields fields = ParseConnectionString(text);
    return fields.Server + "|" + fields.Port + "|" + fields.Database + "|" + fields.User + "|" +
           fields.Password;
}

// The same as the connection gets it.
std::string ConnectionReading(const std::string& text) {
    std::string odbc = platform::odbc::TranslateConnectionString(text, kInstalled);
    std::string result;
    for (const char* key : {"Server", "Port", "Database", "UID"})
        result += OdbcConnectionValue(odbc, key) + "|";
    return result + OdbcConnectionValue(odbc, "PWD");
}

TEST(ConnectionTextTest, DialogAndConnectionAgreeOnWhichKeyWins) {
    using enum TConnectionKind;
    struct TCase {
        const char* Text;
        TConnectionKind Kind;
        const char* Reading;
    };
    const TCase cases[] = {
        // SQL Server providers: Server over Data Source; "host,port" over Port.
        {"Provider=SQLOLEDB.1;Server=srv;Data Source=ds,1500;Initial Catalog=ic;User ID=u",
         SqlServer, "srv||ic|u|"},
        {"Provider=SQLNCLI11;Server=h,1500;Port=1433;Database=d;Initial Catalog=ic;UID=u",
         SqlServer, "h|1500|ic|u|"},
        {"Provider=MSOLEDBSQL;Data Source = ds , 1600;User ID=u;Password='p;w'", SqlServer,
         "ds|1600||u|p;w"},
        // The ODBC bridge: Data Source is a DSN; the driver decides whether a comma splits.
        {"Provider=MSDASQL.1;Data Source=dsn;Extended Properties=\"DRIVER={SQL Server};"
         "SERVER=h,1700;DATABASE=d;UID=u\"",
         SqlServer, "h|1700|d|u|"},
        {"Provider=MSDASQL.1;Extended Properties=\"DRIVER={MySQL ODBC 5.3 Unicode Driver};"
         "SERVER=a,b;PORT=3307;DATABASE=d\";User ID=u",
         MySql, "a,b|3307|d|u|"},
        {"Provider=MSDASQL;Data Source=mydsn;Server=h;Initial Catalog=d", MySql, "h||d||"},
        // MySQL providers: Location is the host when Data Source holds the database.
        {"Provider=MySQLProv;Location=h;Data Source=shop;User Id=u", MySql, "h||shop|u|"},
        {"Provider=MySQLProv;Location=loc;Server=srv;Data Source=ds;Database=db", MySql,
         "srv||db||"},
        {"Provider=MySQL.OLEDB;Data Source=h,1;Database=d;Port=3307", MySql, "h,1|3307|d||"},
        // ODBC texts; driver names in any letter case.
        {"DRIVER={freetds};SERVER=h,1800;PORT=1433;UID=u", SqlServer, "h|1800||u|"},
        {"Driver={mariadb unicode};Server=a,b;Database=d;PWD={x}}y}", MySql, "a,b||d||x}y"},
        {"driver=sqlite3;Database=/x,y.db", SQLite, "||/x,y.db||"},
        {"Driver={MariaDB Unicode};Data Source=x;Server=h", MySql, "h||||"},
    };
    for (const TCase& test : cases) {
        EXPECT_EQ(ParseConnectionString(test.Text).Kind, test.Kind) << test.Text;
        EXPECT_EQ(DialogReading(test.Text), test.Reading) << test.Text;
        EXPECT_EQ(ConnectionReading(test.Text), test.Reading) << test.Text;
    }
}

TEST(ConnectionTextTest, EveryFieldComesBackFromTheComposedText) {
    const char* const values[] = {"trailing ", " lead", "a=b", "x;y", "}{", "a}}b", "'q\"", "=="};
    for (TConnectionKind kind : {TConnectionKind::SqlServer, TConnectionKind::MySql}) {
        for (const char* value : values) {
            for (int field = 0; field < 5; ++field) {
                TConnectionFields fields;
                fields.Kind = kind;
                fields.Server = "h";
                std::string* target[] = {&fields.Server, &fields.Port, &fields.Database,
                                         &fields.User, &fields.Password};
                *target[field] = value;
                std::string text = ComposeConnectionString(fields);
                TConnectionFields back = ParseConnectionString(text);
                EXPECT_EQ(back.Kind, kind) << text;
                EXPECT_EQ(DialogReading(text), fields.Server + "|" + fields.Port + "|" +
                                                   fields.Database + "|" + fields.User + "|" +
                                                   fields.Password)
                    << text;
                EXPECT_EQ(ConnectionReading(text), DialogReading(text)) << text;
            }
        }
    }
    TConnectionFields sqlite;
    sqlite.Kind = TConnectionKind::SQLite;
    sqlite.Database = "/data/a;b }.db";
    TConnectionFields back = ParseConnectionString(ComposeConnectionString(sqlite));
    EXPECT_EQ(back.Kind, TConnectionKind::SQLite);
    EXPECT_EQ(back.Database, sqlite.Database);
}

// What the window makes of a typed text: whether the dialog starts from it, and which kind
// of server its driver names ("-" for none).
TEST(ConnectionTextTest, TypedTextsThatStartTheDialogAndTheKindTheyName) {
    struct TCase {
        const char* Text;
        bool StartsDialog;
        const char* Kind;
    };
    const TCase cases[] = {
        {"", false, "-"},
        {"   ", false, "-"},
        {"typed, not connected", false, "-"},
        {"hello=world", false, "-"},
        {"Driver={MariaDB Unicode;Server=h", false, "-"}, // no closing brace
        {"Driver={MariaDB Unicode};Server=h", true, "MySQL/MariaDB"},
        {"DRIVER={MySQL ODBC 8.0 Unicode Driver}", true, "MySQL/MariaDB"},
        {"Driver=FreeTDS;Server=h,1433", true, "SQL Server"},
        {"Driver={SQL Server};Server=h", true, "SQL Server"},
        {"Provider=SQLOLEDB.1;Data Source=h", true, "SQL Server"},
        {"Provider=MySQLProv;Location=h;Data Source=shop", true, "MySQL/MariaDB"},
        // The driver under the ODBC bridge decides, not the bridge.
        {"Provider=MSDASQL;Extended Properties=\"DRIVER={MySQL ODBC 5.3 Driver};SERVER=h\"", true,
         "MySQL/MariaDB"},
        {"Provider=MSDASQL;Data Source=erp", true, "-"},
        {"DSN=erp;UID=sa", true, "-"},
        {"Server=h;Database=d", true, "-"},
        {"Driver=SQLite3;Database=/tmp/a.db", true, "SQLite"},
    };
    for (const TCase& test : cases) {
        EXPECT_EQ(TryParseConnectionString(test.Text).has_value(), test.StartsDialog) << test.Text;
        std::optional<TConnectionKind> kind = NamedConnectionKind(test.Text);
        EXPECT_EQ(kind ? ConnectionKindName(*kind) : "-", test.Kind) << test.Text;
    }
    EXPECT_EQ(DialectOfKind(TConnectionKind::SqlServer), TDialect::dMssql);
    EXPECT_EQ(DialectOfKind(TConnectionKind::MySql), TDialect::dMysql);
    EXPECT_EQ(DialectOfKind(TConnectionKind::SQLite), TDialect::dMysql);
}

} // namespace
