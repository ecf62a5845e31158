// GenerateInsertScript: the ticked rows of the result become INSERT statements, line by line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/Dialect.h"
#include "app/ResultSet.h"
#include "base/Strings.h"

struct TExportOptions {
    TDialect Dialect = TDialect::dMssql;
    std::string TableName;       // the target table; empty when only a typed query was run
    bool Reseed = false;         // empty the table and reset its counter first
    bool IdentityInsert = false; // SQL Server: identity insertion on around the rows
    std::string NotNullText;     // comma-separated columns that get a substitute for NULL
    // Called once per row of the result (1-based row, row count) before the row is looked at:
    // the window repaints there, the command line draws its progress.
    std::function<void(int row, int rowCount)> OnRow;
    // The status text: "正在导出... k / N" per written row, and the summary at the end.
    std::function<void(const std::string& text)> OnStatus;
    // The database and/or schema TableName is named in (db.table, db.schema.table), outer
    // first; each part is quoted on its own.
    std::vector<std::string> TableQualifiers{};
};

// Clears lines, then appends the script's lines (lines uses only Clear and Add). Every row
// whose tick column is ticked (boolean true, or exactly 1) becomes one statement; the values
// are every other column in position order. The result is left on its first row with display
// updates on, and the summary status is sent, also when an error stops the export; the error
// then propagates (the closing identity line is not written). Returns the rows written.
int GenerateInsertScript(TResultSet& resultSet, TStrings& lines, const TExportOptions& options);
