#include "app/Dialect.h"

#include "platform/CodePage.h"

std::optional<TDialect> DialectOfIndex(int index) {
    if (index == static_cast<int>(TDialect::dMssql)) return TDialect::dMssql;
    if (index == static_cast<int>(TDialect::dMysql)) return TDialect::dMysql;
    return std::nullopt;
}

void AppendQuotedName(std::string_view name, TDialect dialect, std::string& out) {
    const char open = dialect == TDialect::dMssql ? '[' : '`';
    const char close = dialect == TDialect::dMssql ? ']' : '`';
    out += open;
    for (size_t pos = 0; pos < name.size();) {
        int length = platform::CodePageCharLength(name, pos);
        size_t take = length > 0 ? static_cast<size_t>(length) : 1;
        if (take == 1 && name[pos] == close) out += close;
        out.append(name, pos, take);
        pos += take;
    }
    out += close;
}

std::string QuoteName(std::string_view name, TDialect dialect) {
    std::string quoted;
    quoted.reserve(name.size() + 2);
    AppendQuotedName(name, dialect, quoted);
    return quoted;
}

std::string QuoteQualifiedName(const std::vector<std::string>& parts, TDialect dialect) {
    std::string quoted;
    for (const std::string& part : parts) {
        if (!quoted.empty()) quoted += '.';
        AppendQuotedName(part, dialect, quoted);
    }
    return quoted;
}
