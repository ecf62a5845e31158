// The command line: "quorvel export" (the export workflow without a window) and --version.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "app/Dialect.h"
#include "platform/Database.h"

// A wrong command line; the text says what is wrong. Leads to exit status 2 and the usage.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TScriptEncoding { GB18030, Utf8 };

// The options of "quorvel export". Texts are in the program code page.
struct TExportArguments {
    std::string Connect;
    TDialect Dialect = TDialect::dMssql; // as the window's default
    std::string Table;
    std::string Top; // empty: every row
    std::string Sql;
    std::string Into; // the script's table; empty: the --table name
    std::string NotNull;
    bool Reseed = false;
    bool Identity = false;
    std::string Output; // empty: standard output
    TScriptEncoding Encoding = TScriptEncoding::GB18030;
};

// Reads the arguments after "export" (UTF-8, as the locale gives them). Throws EUsageError.
TExportArguments ParseExportArguments(const std::vector<std::string>& args);

// The usage text (UTF-8).
std::string UsageText();

// Connects, opens the table or runs the SELECT, ticks every row and writes the script to the
// output. Errors propagate; a file that was at the output then stays as it was. warnings receives
// UTF-8 lines for standard error; progress draws a bar on standard error when true.
// Returns the rows written.
int RunExport(const TExportArguments& arguments, platform::TDatabase& database,
              std::vector<std::string>& warnings, bool progress);

// The whole command line: returns the exit status (0 done, 1 failed, 2 usage) after writing
// results to standard output and messages (UTF-8) to standard error; SIGINT and SIGTERM end
// it with 130 and 143, the output file as it was. database is created on
// demand, so "--version" and usage errors need no driver.
int RunCommandLine(const std::vector<std::string>& args,
                   std::unique_ptr<platform::TDatabase> (*createDatabase)());
