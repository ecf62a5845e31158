#include "app/ScriptAssembly.h"

#include <charconv>
#include <vector>

#include "app/RowSelection.h"
#include "app/ValueRendering.h"
#include "base/Format.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

namespace {

// The program's texts are code-page bytes; the sources are UTF-8.
std::string CodePage(const char* utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

void AppendNumber(int value, std::string& out) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    out.append(buffer, result.ptr);
}

// The lines before the first statement.
void AppendHeader(TStrings& lines, const TExportOptions& options, TDialect dialect) {
    std::string table = EscapeName(options.TableName, dialect);
    if (dialect == TDialect::dMssql) {
        lines.Add("/*---------[" + table + "]-----------*/");
        lines.Add("");
        if (options.Reseed) {
            lines.Add("DELETE FROM [" + table + "]");
            lines.Add("GO");
            lines.Add("DBCC CHECKIDENT (" + QuotedStr(options.TableName) + ", RESEED, 1)");
            lines.Add("GO");
        }
        if (options.IdentityInsert) lines.Add("SET IDENTITY_INSERT [" + table + "] ON");
    } else {
        static const std::string comment = CodePage("-- 导出表中的数据 `");
        lines.Add(comment + table + "`");
        lines.Add("");
        if (options.Reseed) {
            lines.Add("DELETE FROM `" + table + "`;");
            lines.Add("");
            lines.Add("ALTER TABLE `" + table + "` AUTO_INCREMENT =1;");
            lines.Add("");
        }
    }
}

} // namespace

int GenerateInsertScript(TResultSet& resultSet, TStrings& lines, const TExportOptions& options) {
    if (options.Dialect != static_cast<int>(TDialect::dMssql) &&
        options.Dialect != static_cast<int>(TDialect::dMysql))
        return 0;
    TDialect dialect = static_cast<TDialect>(options.Dialect);
    bool mssql = dialect == TDialect::dMssql;

    lines.Clear();
    AppendHeader(lines, options, dialect);

    std::string head = std::string("INSERT INTO ") + (mssql ? "[" : "`") +
                       EscapeName(options.TableName, dialect) + (mssql ? "] (" : "` (") +
                       BuildColumnList(resultSet, options.Dialect) + (mssql ? ") " : ") VALUES ");
    const std::string valuePrefix = mssql ? "       Values (" : "(";
    const char* lastClose = mssql ? ")" : ");";

    int rowCount = resultSet.RecordCount();
    int written = 0;
    TNotNullList notNull(options.NotNullText);
    uint64_t startTicks = platform::GetTickCount();
    resultSet.DisableControls();

    // Back to the first row, the summary, display updates on: after the loop, however it ends.
    auto finish = [&] {
        try {
            resultSet.First();
            uint64_t endTicks = platform::GetTickCount();
            if (options.OnStatus) {
                static const std::string summary = CodePage("导出%d条记录(耗时:%.2f秒)");
                options.OnStatus(Format(summary.c_str(), written,
                                        static_cast<double>(endTicks - startTicks) / 1000.0));
            }
        } catch (...) {
            resultSet.EnableControls();
            throw;
        }
        resultSet.EnableControls();
    };

    try {
        // Columns 1 to last, with what stays the same for every row worked out once.
        std::vector<TField> fields;
        std::vector<bool> substitute;
        for (int position = 1; position < resultSet.FieldCount(); ++position) {
            fields.push_back(resultSet.Fields(position));
            substitute.push_back(notNull.Contains(fields.back().FieldName()));
        }
        TField sel = resultSet.FieldByName(kSelFieldName);
        static const std::string progress = CodePage("正在导出... ");
        std::string status;
        std::string valueLine;
        const std::string emptyLine;

        resultSet.First();
        for (int row = 1; row <= rowCount; ++row) {
            if (options.OnRow) options.OnRow(row, rowCount);
            if (IsRowTicked(sel)) {
                ++written;
                if (options.OnStatus) {
                    status.assign(progress);
                    AppendNumber(written, status);
                    status += " / ";
                    AppendNumber(rowCount, status);
                    options.OnStatus(status);
                }
                valueLine.assign(valuePrefix);
                for (size_t i = 0; i < fields.size(); ++i) {
                    AppendFieldLiteral(fields[i], dialect, substitute[i], valueLine);
                    valueLine += i + 1 < fields.size() ? ", " : lastClose;
                }
                lines.Add(head);
                lines.Add(valueLine);
                lines.Add(emptyLine);
            }
            resultSet.Next();
        }
    } catch (...) {
        // The original error is what the user must see.
        try {
            finish();
        } catch (...) {
        }
        throw;
    }
    finish();
    if (mssql && options.IdentityInsert)
        lines.Add("SET IDENTITY_INSERT [" + EscapeName(options.TableName, dialect) + "] OFF");
    return written;
}
