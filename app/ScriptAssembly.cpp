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

// The table name as the header comment shows it. A control character could end the line
// comment, and T-SQL nests block comments, so "/*" would keep the header open and "*/" would
// close it early: the rest of the name would run as SQL. No GB18030 trail byte is a control
// character, "/" or "*", so bytes are checked one by one.
std::string CommentText(std::string_view name, TDialect dialect) {
    std::string text;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        text += control ? '?' : c;
        char next = i + 1 < name.size() ? name[i + 1] : '\0';
        if (dialect == TDialect::dMssql && ((c == '/' && next == '*') || (c == '*' && next == '/')))
            text += ' ';
    }
    return text;
}

// The lines before the first statement.
void AppendHeader(TStrings& lines, const TExportOptions& options, const std::string& table) {
    const std::string comment = CommentText(table, options.Dialect);
    if (options.Dialect == TDialect::dMssql) {
        lines.Add("/*---------" + comment + "-----------*/");
        lines.Add("");
        if (options.Reseed) {
            lines.Add("DELETE FROM " + table);
            lines.Add("GO");
            // A qualified name goes in quoted, so a dot inside a part stays part of it.
            lines.Add("DBCC CHECKIDENT (" +
                      QuotedStr(options.TableQualifiers.empty() ? options.TableName : table) +
                      ", RESEED, 1)");
            lines.Add("GO");
        }
        if (options.IdentityInsert) lines.Add("SET IDENTITY_INSERT " + table + " ON");
    } else {
        static const std::string prefix = CodePage("-- 导出表中的数据 ");
        lines.Add(prefix + comment);
        lines.Add("");
        if (options.Reseed) {
            lines.Add("DELETE FROM " + table + ";");
            lines.Add("");
            lines.Add("ALTER TABLE " + table + " AUTO_INCREMENT =1;");
            lines.Add("");
        }
    }
}

} // namespace

int GenerateInsertScript(TResultSet& resultSet, TStrings& lines, const TExportOptions& options) {
    const TDialect dialect = options.Dialect;
    const bool mssql = dialect == TDialect::dMssql;
    std::vector<std::string> parts = options.TableQualifiers;
    parts.push_back(options.TableName);
    const std::string table = QuoteQualifiedName(parts, dialect);

    lines.Clear();
    AppendHeader(lines, options, table);

    std::string head = "INSERT INTO " + table + " (" + BuildColumnList(resultSet, dialect) +
                       (mssql ? ") " : ") VALUES ");
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
        // Every column but the tick, with what stays the same for every row worked out once.
        TField sel = SelField(resultSet);
        std::vector<TField> fields;
        std::vector<bool> substitute;
        for (int position = 0; position < resultSet.FieldCount(); ++position) {
            TField field = resultSet.Fields(position);
            if (field.IsSelection()) continue;
            fields.push_back(field);
            substitute.push_back(notNull.Contains(field.FieldName()));
        }
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
    if (mssql && options.IdentityInsert) lines.Add("SET IDENTITY_INSERT " + table + " OFF");
    return written;
}
