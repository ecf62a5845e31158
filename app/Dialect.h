// The two database kinds a script is written for, and how each of them quotes a name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The database kind; its value is the index in the window's kind list ("mssql", "mysql").
enum class TDialect : int { dMssql = 0, dMysql = 1 };

// The kind at index of the kind list; nullopt for any other index.
std::optional<TDialect> DialectOfIndex(int index);

// [name] (SQL Server) or `name` (MySQL), the closing quote doubled inside. The name is read
// character by character in the code page, so a trail byte that equals the quote (乣 is
// 81 60, 揮 is 93 5D) is part of its character and never doubled.
void AppendQuotedName(std::string_view name, TDialect dialect, std::string& out);
std::string QuoteName(std::string_view name, TDialect dialect);

// A qualified name (db.schema.table, outer part first): each part quoted, joined by dots.
std::string QuoteQualifiedName(const std::vector<std::string>& parts, TDialect dialect);
