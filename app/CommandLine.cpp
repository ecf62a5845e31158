// "quorvel export": the same workflow the window runs, from connection to written script.
#include "app/CommandLine.h"

#include <cstdio>
#include <unistd.h>

#include "app/Globals.h"
#include "app/Query.h"
#include "app/ResultSet.h"
#include "app/RowSelection.h"
#include "app/ScriptAssembly.h"
#include "app/ScriptWriter.h"
#include "app/ValueRendering.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"
#include "platform/FileWriter.h"

namespace {

using platform::TConversion;

std::string ArgumentText(const std::string& utf8, const std::string& option) {
    try {
        return platform::Utf8ToCodePage(utf8, TConversion::Strict);
    } catch (const EEncodingError&) {
        throw EUsageError("The value of " + option + " is not valid UTF-8 text");
    }
}

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Notes the first character that the server's gbk lacks, with the row and column that hold
// it, on the lines' way to the target; only a gbk script (active) can lose them.
class TGbkWatch : public TStrings {
public:
    TGbkWatch(TStrings& target, TResultSet& resultSet, TDialect dialect, bool active)
        : FTarget(target), FResultSet(resultSet), FDialect(dialect), FActive(active) {}
    int Count() const override { return FTarget.Count(); }
    std::string Get(int index) const override { return FTarget.Get(index); }
    void Put(int index, const std::string& line) override {
        Check(line);
        FTarget.Put(index, line);
    }
    void Insert(int index, const std::string& line) override {
        Check(line);
        FTarget.Insert(index, line);
    }
    void Delete(int index) override { FTarget.Delete(index); }
    void Clear() override { FTarget.Clear(); }
    int Add(const std::string& line) override {
        Check(line);
        return FTarget.Add(line);
    }
    // Empty when every character can be stored; else the warning, in UTF-8.
    const std::string& Warning() const { return FWarning; }

private:
    void Check(const std::string& line) {
        if (!FActive) return;
        // Every statement starts a line of its own; names with line breaks only add lines
        // after that.
        if (line.starts_with("INSERT INTO ")) ++FStatement;
        if (!FWarning.empty()) return;
        size_t pos = platform::FindGbkGap(line);
        if (pos == std::string::npos) return;
        std::string where = "a table or column name";
        std::string_view text = line;
        std::string literal;
        // The value line follows its INSERT line with the result set on its row; the column is
        // the first whose literal holds such a character (hexadecimal literals are safe).
        if (!line.starts_with("INSERT INTO ") && FStatement > 0) {
            for (int position = 0; position < FResultSet.FieldCount(); ++position) {
                TField field = FResultSet.Fields(position);
                if (field.IsSelection()) continue;
                literal.clear();
                AppendFieldLiteral(field, FDialect, false, literal);
                size_t at = platform::FindGbkGap(literal);
                if (at == std::string::npos) continue;
                where = Format("row %d, column %s", FStatement, field.FieldName().c_str());
                text = literal;
                pos = at;
                break;
            }
        }
        int length = platform::CodePageCharLength(text, pos);
        std::string character(text.substr(pos, static_cast<size_t>(length)));
        FWarning = platform::CodePageToUtf8(
            "warning: " + where + " holds \"" + character +
                "\", which a gbk import cannot store; use --encoding utf-8 for such data",
            TConversion::Lenient);
    }
    TStrings& FTarget;
    TResultSet& FResultSet;
    TDialect FDialect;
    bool FActive;
    int FStatement = 0;
    std::string FWarning;
};

// A bar on standard error, redrawn when the percentage changes.
class TProgressBar {
public:
    void Show(int row, int rowCount) {
        if (rowCount <= 0) return;
        int percent = static_cast<int>(static_cast<int64_t>(row) * 100 / rowCount);
        if (percent == FPercent) return;
        FPercent = percent;
        constexpr int width = 40;
        int filled = percent * width / 100;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(width - filled), '-');
        std::fprintf(stderr, "\r[%s] %3d%% %d/%d", bar.c_str(), percent, row, rowCount);
        std::fflush(stderr);
        FShown = true;
    }
    ~TProgressBar() {
        if (FShown) std::fputs("\r\033[K", stderr);
    }

private:
    int FPercent = -1;
    bool FShown = false;
};

} // namespace

std::string UsageText() {
    return "Usage: quorvel export --connect TEXT (--table NAME [--top N] | --sql SELECT --into "
           "NAME)\n"
           "                      [options]\n"
           "       quorvel --version\n"
           "\n"
           "Writes the rows of a table or query as a script of INSERT statements.\n"
           "\n"
           "  --connect TEXT        connection text (OLE DB or ODBC)\n"
           "  --dbtype mssql|mysql  database kind and script dialect (default mssql)\n"
           "  --table NAME          export the rows of this table (the script's table)\n"
           "  --top N               read only the first N rows with --table (default: every row)\n"
           "  --sql SELECT          export the rows of this query (SELECT, WITH ... SELECT, "
           "UNION)\n"
           "  --into NAME           the table the script inserts into: required with --sql,\n"
           "                        and overrides the --table name in the script\n"
           "  --not-null LIST       comma-separated columns that get a value instead of NULL\n"
           "                        (default: none)\n"
           "  --reseed              empty the table and reset its counter first\n"
           "  --identity            mssql: switch identity insertion on around the rows\n"
           "  --output FILE         write the script to FILE (default standard output)\n"
           "  --encoding ENC        gb18030 (default) or utf-8\n";
}

TExportArguments ParseExportArguments(const std::vector<std::string>& args) {
    TExportArguments result;
    bool hasConnect = false, hasTable = false, hasSql = false, hasTop = false, hasInto = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool inlineValue = false;
        size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            inlineValue = true;
        }
        auto takeValue = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= args.size()) throw EUsageError(option + " needs a value");
            return args[++i];
        };
        auto noValue = [&] {
            if (inlineValue) throw EUsageError(option + " takes no value");
        };
        if (option == "--connect") {
            result.Connect = ArgumentText(takeValue(), option);
            hasConnect = true;
        } else if (option == "--dbtype") {
            std::string kind = takeValue();
            if (kind == "mssql")
                result.Dialect = TDialect::dMssql;
            else if (kind == "mysql")
                result.Dialect = TDialect::dMysql;
            else
                throw EUsageError("--dbtype is mssql or mysql, not \"" + kind + "\"");
        } else if (option == "--table") {
            result.Table = ArgumentText(takeValue(), option);
            hasTable = true;
        } else if (option == "--top") {
            result.Top = takeValue();
            if (!IsDigits(result.Top) || result.Top.size() > 18 || std::stoll(result.Top) < 1)
                throw EUsageError("--top needs a row count of at least 1, not \"" + result.Top +
                                  "\"");
            hasTop = true;
        } else if (option == "--sql") {
            result.Sql = Trim(ArgumentText(takeValue(), option));
            hasSql = true;
        } else if (option == "--into") {
            result.Into = ArgumentText(takeValue(), option);
            hasInto = true;
        } else if (option == "--not-null") {
            result.NotNull = ArgumentText(takeValue(), option);
        } else if (option == "--reseed") {
            noValue();
            result.Reseed = true;
        } else if (option == "--identity") {
            noValue();
            result.Identity = true;
        } else if (option == "--output") {
            result.Output = takeValue();
            if (result.Output.empty()) throw EUsageError("--output needs a file name");
        } else if (option == "--encoding") {
            std::string encoding = LowerCase(takeValue());
            if (encoding == "gb18030")
                result.Encoding = TScriptEncoding::GB18030;
            else if (encoding == "utf-8" || encoding == "utf8")
                result.Encoding = TScriptEncoding::Utf8;
            else
                throw EUsageError("--encoding is gb18030 or utf-8, not \"" + encoding + "\"");
        } else {
            throw EUsageError("Unknown option \"" + args[i] + "\"");
        }
    }
    if (!hasConnect || Trim(result.Connect).empty()) throw EUsageError("--connect is required");
    if (hasTable == hasSql) throw EUsageError("Give either --table or --sql");
    if (hasTable && Trim(result.Table).empty()) throw EUsageError("--table needs a table name");
    if (hasTop && !hasTable) throw EUsageError("--top goes with --table");
    if (hasInto && Trim(result.Into).empty()) throw EUsageError("--into needs a table name");
    if (hasSql && !hasInto)
        throw EUsageError("--sql needs --into NAME, the table the script inserts into");
    if (hasSql && !IsQueryText(result.Sql, result.Dialect))
        throw EUsageError("--sql needs a SELECT statement");
    return result;
}

int RunExport(const TExportArguments& arguments, platform::TDatabase& database,
              std::vector<std::string>& warnings, bool progress) {
    // The output first: a name that cannot be written fails before a long query, and a
    // closed standard output before anything is read.
    TScriptFileWriter writer(arguments.Output.empty()
                                 ? platform::TFileWriter::StandardOutput()
                                 : std::make_unique<platform::TFileWriter>(arguments.Output),
                             arguments.Dialect, arguments.Encoding);
    database.Close();
    database.SetConnectionString(arguments.Connect);
    database.Open();
    std::string statement =
        arguments.Table.empty()
            ? arguments.Sql
            : TableSelectStatement(arguments.Table, arguments.Dialect, arguments.Top);
    TResultSet resultSet;
    resultSet.LoadPacket(OpenSelectQuery(database, statement, arguments.Dialect));
    SelField(resultSet).SetIndex(0);
    SetAllSelected(resultSet, true);

    TExportOptions options;
    options.Dialect = arguments.Dialect;
    options.TableName = arguments.Into.empty() ? arguments.Table : arguments.Into;
    options.Reseed = arguments.Reseed;
    options.IdentityInsert = arguments.Identity;
    options.NotNullText = arguments.NotNull;
    // A date, time or binary column gets ' ' for NULL, which the server may refuse.
    TNotNullList notNull(arguments.NotNull);
    for (int position = 0; position < resultSet.FieldCount(); ++position) {
        TField field = resultSet.Fields(position);
        if (field.IsSelection() || !notNull.Contains(field.FieldName()) ||
            NotNullSubstituteOf(field.DataType()) != TNotNullSubstitute::nsBlankMayFail)
            continue;
        warnings.push_back(platform::CodePageToUtf8(
            "warning: column " + field.FieldName() +
                " gets ' ' for NULL (--not-null), which the server may reject for its type",
            TConversion::Lenient));
    }
    TProgressBar bar;
    if (progress) options.OnRow = [&bar](int row, int rowCount) { bar.Show(row, rowCount); };

    // Unless Close completes, the writer leaves a file that was there as it was.
    TGbkWatch watch(writer, resultSet, arguments.Dialect,
                    arguments.Encoding == TScriptEncoding::GB18030);
    int written = GenerateInsertScript(resultSet, watch, options);
    writer.Close();
    if (!watch.Warning().empty()) warnings.push_back(watch.Warning());
    return written;
}

int RunCommandLine(const std::vector<std::string>& args,
                   std::unique_ptr<platform::TDatabase> (*createDatabase)()) {
    auto message = [](const std::string& codePageText) {
        std::string text = platform::CodePageToUtf8(codePageText, TConversion::Lenient);
        std::fprintf(stderr, "quorvel: %s\n", text.c_str());
    };
    if (args.empty()) {
        std::fputs(
            "quorvel: the window is not built yet; use \"quorvel export\" (see quorvel --help)\n",
            stderr);
        return 1;
    }
    if (args[0] == "--version") {
        std::printf("%s\n", GetVersionText().c_str());
        return 0;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    TExportArguments arguments;
    try {
        if (args[0] != "export") throw EUsageError("Unknown command \"" + args[0] + "\"");
        arguments = ParseExportArguments(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "quorvel: %s\n\n%s", error.what(), UsageText().c_str());
        return 2;
    }
    platform::RemovePendingFileOnInterrupt();
    try {
        std::unique_ptr<platform::TDatabase> database = createDatabase();
        std::vector<std::string> warnings;
        RunExport(arguments, *database, warnings, isatty(STDERR_FILENO) == 1);
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "quorvel: %s\n", warning.c_str());
        return 0;
    } catch (const std::exception& error) {
        message(error.what());
        return 1;
    }
}
