// TDatabase over unixODBC: connection, table catalogue, block-fetched queries, commands.
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/ConnectionSecrets.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"
#include "platform/Database.h"
#include "platform/FileSystem.h"
#include "platform/odbc/ConnectionString.h"
#include "platform/odbc/OdbcTypes.h"

namespace platform {
namespace {

// The program's own messages, in the code page like the driver's.
std::string OwnMessage(std::string_view utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

using namespace platform::odbc;

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 2-byte wide characters");

// A value buffer larger than this is fetched with SQLGetData in chunks instead of bound.
constexpr size_t kMaxBoundValueBytes = 32 * 1024;
// Bytes of bound buffers per block; the block has at most kMaxBlockRows rows.
constexpr size_t kBlockBytes = 8 * 1024 * 1024;
constexpr size_t kMaxBlockRows = 1024;
constexpr size_t kChunkBytes = 256 * 1024;

// Bytes after every bound array, checked after each fetch: sanitizers do not see the
// driver's own stores, so an overrun would otherwise pass unnoticed or wreck the heap later.
// A fixed-size array gets a guard as long as itself: a driver that steps it by a wider
// element, as the MariaDB driver did with SQL_C_FLOAT, writes up to twice its length.
constexpr size_t kGuardBytes = 64;
constexpr size_t kGuardIndicators = kGuardBytes / sizeof(SQLLEN);

// Put in every length/indicator before each fetch. Drivers do not always write it: the
// MariaDB driver leaves it alone for non-null SQL_C_BIT values, bound or block-fetched,
// so a value after a null row would read as null again. A fixed-size value whose
// indicator is still this was delivered; a variable-size one has no known length.
constexpr SQLLEN kUnwritten = -0x5A5A5A5A5A5A5A5ALL;

// Not one repeated byte, so a driver filling with a constant does not match it.
unsigned char GuardByte(size_t i) {
    return static_cast<unsigned char>(0xA5 ^ (i * 0x3B));
}

void FillGuard(char* guard, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        guard[i] = static_cast<char>(GuardByte(i));
}

bool GuardIntact(const char* guard, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        if (static_cast<unsigned char>(guard[i]) != GuardByte(i)) return false;
    return true;
}

const char* CTypeName(SQLSMALLINT cType) {
    switch (cType) {
    case SQL_C_SBIGINT:
        return "SQL_C_SBIGINT";
    case SQL_C_DOUBLE:
        return "SQL_C_DOUBLE";
    case SQL_C_FLOAT:
        return "SQL_C_FLOAT";
    case SQL_C_BIT:
        return "SQL_C_BIT";
    case SQL_C_CHAR:
        return "SQL_C_CHAR";
    case SQL_C_WCHAR:
        return "SQL_C_WCHAR";
    case SQL_C_BINARY:
        return "SQL_C_BINARY";
    default:
        return "another C type";
    }
}

bool IsFixedSize(SQLSMALLINT cType) {
    return cType == SQL_C_SBIGINT || cType == SQL_C_DOUBLE || cType == SQL_C_FLOAT ||
           cType == SQL_C_BIT;
}

std::u16string_view WideView(const SQLWCHAR* text, size_t units) {
    return {reinterpret_cast<const char16_t*>(text), units};
}

// ASCII text is by far the most common; it is the same bytes in the code page.
void AppendWideAsCodePage(std::string& target, std::u16string_view text) {
    size_t start = target.size();
    target.resize(start + text.size());
    char* out = target.data() + start;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit >= 0x80) {
            target.resize(start + i);
            target += Utf16ToCodePage(text.substr(i), TConversion::Strict);
            return;
        }
        out[i] = static_cast<char>(unit);
    }
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void AppendUtf8AsCodePage(std::string& target, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            target.append(text.substr(0, i));
            target += Utf8ToCodePage(text.substr(i), TConversion::Strict);
            return;
        }
    target.append(text);
}

std::string WideToCodePage(std::u16string_view text) {
    std::string result;
    AppendWideAsCodePage(result, text);
    return result;
}

std::string Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::string joined;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        std::vector<SQLWCHAR> message(1024);
        SQLSMALLINT length = 0;
        SQLRETURN rc =
            SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message.data(),
                           static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<size_t>(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        size_t units = std::min<size_t>(static_cast<size_t>(length), message.size() - 1);
        std::string text = Utf16ToCodePage(WideView(message.data(), units), TConversion::Lenient);
        if (!joined.empty()) joined += "\n";
        joined += text;
    }
    return joined;
}

[[noreturn]] void Fail(SQLSMALLINT handleType, SQLHANDLE handle, const char* what) {
    std::string text = handle ? Diagnostics(handleType, handle) : std::string();
    if (text.empty()) text = Format("The database driver failed (%s)", what);
    throw EDatabaseError(text);
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what) {
    if (!SQL_SUCCEEDED(rc)) Fail(handleType, handle, what);
}

class THandle {
public:
    THandle() = default;
    THandle(SQLSMALLINT type, SQLHANDLE parent) : FType(type) {
        SQLRETURN rc = SQLAllocHandle(type, parent, &FHandle);
        if (!SQL_SUCCEEDED(rc)) {
            FHandle = SQL_NULL_HANDLE;
            SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
            Fail(parentType, parent, "allocate a handle");
        }
    }
    ~THandle() { Reset(); }
    THandle(THandle&& other) noexcept : FType(other.FType), FHandle(other.FHandle) {
        other.FHandle = SQL_NULL_HANDLE;
    }
    THandle& operator=(THandle&& other) noexcept {
        if (this != &other) {
            Reset();
            FType = other.FType;
            FHandle = other.FHandle;
            other.FHandle = SQL_NULL_HANDLE;
        }
        return *this;
    }
    void Reset() {
        if (FHandle != SQL_NULL_HANDLE) SQLFreeHandle(FType, FHandle);
        FHandle = SQL_NULL_HANDLE;
    }
    SQLHANDLE Get() const { return FHandle; }
    SQLSMALLINT Type() const { return FType; }
    void Check(SQLRETURN rc, const char* what) const { platform::Check(rc, FType, FHandle, what); }

private:
    SQLSMALLINT FType = SQL_HANDLE_ENV;
    SQLHANDLE FHandle = SQL_NULL_HANDLE;
};

// One result column: how it is described, fetched and where its block buffer lies.
struct TColumnPlan {
    SQLUSMALLINT Number = 0; // 1-based column of the statement
    TFieldDef Def;
    TFetchKind Fetch = TFetchKind::WideText;
    bool Bound = false;
    SQLSMALLINT CType = SQL_C_CHAR;
    size_t ValueBytes = 0;          // buffer bytes per row when bound
    std::vector<char> Buffer;       // the block's values, then their guard
    std::vector<SQLLEN> Indicators; // the block's indicators, then kGuardIndicators of guard
    size_t Packet = 0;              // column index in the packet
    bool Utf8 = false;              // text fetched as the connection's UTF-8 bytes
};

class TOdbcDatabase : public TDatabase {
public:
    TOdbcDatabase() : FEnv(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {
        FEnv.Check(SQLSetEnvAttr(FEnv.Get(), SQL_ATTR_ODBC_VERSION,
                                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                   "set the ODBC version");
    }
    ~TOdbcDatabase() override { Close(); }

    void SetConnectionString(const std::string& text) override { FConnectionString = text; }
    std::string ConnectionString() const override { return FConnectionString; }
    bool Connected() const override { return FConnected; }

    void Open() override {
        try {
            OpenConnection();
        } catch (const EDatabaseError& error) {
            // Drivers may repeat parts of the connection text in their messages.
            throw EDatabaseError(MaskConnectionPasswords(error.what(), FConnectionString));
        }
    }

    void Close() override {
        if (FConnected) SQLDisconnect(FDbc.Get());
        FConnected = false;
        FDbc.Reset();
    }

    void GetTableNames(TStrings& tables) override {
        tables.Clear();
        RequireOpen();
        THandle stmt(SQL_HANDLE_STMT, FDbc.Get());
        std::u16string catalog = CurrentCatalog();
        std::u16string pattern = u"%";
        std::u16string types = u"TABLE,VIEW,SYSTEM TABLE";
        auto* catalogText = catalog.empty() ? nullptr : reinterpret_cast<SQLWCHAR*>(catalog.data());
        stmt.Check(SQLTablesW(stmt.Get(), catalogText, catalog.empty() ? 0 : SQL_NTS, nullptr, 0,
                              reinterpret_cast<SQLWCHAR*>(pattern.data()), SQL_NTS,
                              reinterpret_cast<SQLWCHAR*>(types.data()), SQL_NTS),
                   "list tables");
        for (;;) {
            SQLRETURN rc = SQLFetch(stmt.Get());
            if (rc == SQL_NO_DATA) break;
            stmt.Check(rc, "fetch a table name");
            std::string name, type;
            bool nameNull = !GetLongText(stmt, 3, name);
            GetLongText(stmt, 4, type);
            if (nameNull) continue;
            if (SameText(type, "TABLE") || SameText(type, "VIEW") || SameText(type, "SYSTEM TABLE"))
                tables.Add(name);
        }
    }

    TDataPacket OpenQuery(const std::string& statement) override {
        RequireOpen();
        THandle stmt(SQL_HANDLE_STMT, FDbc.Get());
        ExecDirect(stmt, statement);
        SQLSMALLINT columnCount = 0;
        stmt.Check(SQLNumResultCols(stmt.Get(), &columnCount), "count the result columns");
        if (columnCount <= 0) throw EDatabaseError(OwnMessage("语句没有返回可显示的记录"));

        TDataPacket packet;
        std::vector<TColumnPlan> plans;
        for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(columnCount); ++number) {
            std::optional<TColumnPlan> plan = DescribeColumn(stmt, number);
            if (!plan) continue;
            plan->Packet = packet.Fields.size();
            packet.AddField(plan->Def);
            plans.push_back(std::move(*plan));
        }
        FetchAll(stmt, plans, packet);
        return packet;
    }

    int64_t ExecuteCommand(const std::string& statement) override {
        RequireOpen();
        THandle stmt(SQL_HANDLE_STMT, FDbc.Get());
        SQLRETURN rc = ExecDirect(stmt, statement);
        if (rc == SQL_NO_DATA) return 0; // a searched UPDATE or DELETE that matched nothing
        int64_t affected = -1;
        while (rc != SQL_NO_DATA) {
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLRowCount(stmt.Get(), &count)) && count >= 0)
                affected = (affected < 0 ? 0 : affected) + count;
            rc = SQLMoreResults(stmt.Get());
            if (rc != SQL_NO_DATA) stmt.Check(rc, "run the next statement");
        }
        return affected;
    }

private:
    void OpenConnection() {
        Close();
        std::string odbcText = TranslateConnectionString(
            CodePageToUtf8(FConnectionString, TConversion::Strict), InstalledDrivers());
        FDbc = THandle(SQL_HANDLE_DBC, FEnv.Get());
        SQLSetConnectAttrW(FDbc.Get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
        std::u16string wide = Utf8ToUtf16(odbcText, TConversion::Strict);
        SQLWCHAR completed[2048];
        SQLSMALLINT completedLength = 0;
        SQLRETURN rc = SQLDriverConnectW(
            FDbc.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
            static_cast<SQLSMALLINT>(wide.size()), completed,
            static_cast<SQLSMALLINT>(std::size(completed)), &completedLength, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            std::string message = Diagnostics(SQL_HANDLE_DBC, FDbc.Get());
            FDbc.Reset();
            // The SQLite driver says only "connect failed" for a file that is not there.
            std::string file = OdbcConnectionValue(odbcText, "Database");
            if (LowerCase(OdbcConnectionValue(odbcText, "Driver")).find("sqlite") !=
                    std::string::npos &&
                !file.empty() && !platform::FileExists(file))
                message = Utf8ToCodePage("数据库文件不存在：" + file, TConversion::Lenient) +
                          (message.empty() ? "" : " (" + message + ")");
            throw EDatabaseError(message.empty() ? OwnMessage("无法打开数据库连接") : message);
        }
        FConnected = true;
        // Drivers without wide functions (SQLite3) get statements as UTF-8 through the
        // ANSI calls; the driver manager would otherwise narrow them to Latin-1.
        std::string driver = LowerCase(GetInfoText(SQL_DRIVER_NAME));
        FAnsi = driver.find("sqlite") != std::string::npos;
        std::string dbms = LowerCase(GetInfoText(SQL_DBMS_NAME));
        // SQLite does not hold text to its declared length, so no bound buffer is safe.
        FUnsizedText = dbms.find("sqlite") != std::string::npos;
        // The MariaDB driver cuts wide text at the first NUL character; its bytes in the
        // connection's character set arrive whole, so text is read that way when it is UTF-8.
        FUtf8Text = false;
        if (driver.find("maodbc") != std::string::npos ||
            driver.find("myodbc") != std::string::npos) {
            TDataPacket charset = OpenQuery("SELECT @@character_set_results");
            if (charset.RowCount == 1 && !charset.Columns[0].IsNull(0)) {
                std::string name = LowerCase(charset.Columns[0].Bytes(0));
                FUtf8Text = name == "utf8mb4" || name == "utf8" || name == "utf8mb3";
            }
        }
    }

    void RequireOpen() const {
        if (!FConnected) throw EDatabaseError(OwnMessage("数据库连接没有打开"));
    }

    std::vector<std::string> InstalledDrivers() {
        std::vector<std::string> drivers;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            SQLWCHAR name[256];
            SQLWCHAR attributes[1024];
            SQLSMALLINT nameLength = 0, attributesLength = 0;
            SQLRETURN rc = SQLDriversW(FEnv.Get(), direction, name, 256, &nameLength, attributes,
                                       1024, &attributesLength);
            if (!SQL_SUCCEEDED(rc)) break;
            size_t units = std::min<size_t>(static_cast<size_t>(nameLength), 255);
            drivers.push_back(Utf16ToUtf8(WideView(name, units), TConversion::Lenient));
            direction = SQL_FETCH_NEXT;
        }
        return drivers;
    }

    std::string GetInfoText(SQLUSMALLINT info) {
        SQLWCHAR value[256] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfoW(FDbc.Get(), info, value, sizeof value, &length))) return "";
        size_t units = std::min<size_t>(static_cast<size_t>(length) / sizeof(SQLWCHAR), 255);
        return Utf16ToUtf8(WideView(value, units), TConversion::Lenient);
    }

    std::u16string CurrentCatalog() {
        SQLWCHAR value[512] = {};
        SQLINTEGER length = 0;
        if (!SQL_SUCCEEDED(SQLGetConnectAttrW(FDbc.Get(), SQL_ATTR_CURRENT_CATALOG, value,
                                              sizeof value, &length)))
            return u"";
        size_t units = std::min<size_t>(
            static_cast<size_t>(std::max<SQLINTEGER>(length, 0)) / sizeof(SQLWCHAR), 511);
        return std::u16string(WideView(value, units));
    }

    SQLRETURN ExecDirect(const THandle& stmt, const std::string& statement) {
        SQLRETURN rc;
        if (FAnsi) {
            std::string utf8 = CodePageToUtf8(statement, TConversion::Strict);
            rc = SQLExecDirect(stmt.Get(), reinterpret_cast<SQLCHAR*>(utf8.data()),
                               static_cast<SQLINTEGER>(utf8.size()));
        } else {
            std::u16string wide = CodePageToUtf16(statement, TConversion::Strict);
            rc = SQLExecDirectW(stmt.Get(), reinterpret_cast<SQLWCHAR*>(wide.data()),
                                static_cast<SQLINTEGER>(wide.size()));
        }
        if (rc != SQL_NO_DATA) stmt.Check(rc, "run the statement");
        return rc;
    }

    std::optional<TColumnPlan> DescribeColumn(const THandle& stmt, SQLUSMALLINT number) {
        TColumnPlan plan;
        plan.Number = number;
        SQLSMALLINT sqlType = 0, decimalDigits = 0, nullable = 0;
        SQLULEN columnSize = 0;
        if (FAnsi) {
            SQLCHAR name[1024];
            SQLSMALLINT nameLength = 0;
            stmt.Check(SQLDescribeCol(stmt.Get(), number, name, sizeof name, &nameLength, &sqlType,
                                      &columnSize, &decimalDigits, &nullable),
                       "describe a column");
            size_t bytes = std::min<size_t>(static_cast<size_t>(nameLength), sizeof name - 1);
            plan.Def.Name = Utf8ToCodePage(std::string_view(reinterpret_cast<char*>(name), bytes),
                                           TConversion::Strict);
        } else {
            SQLWCHAR name[1024];
            SQLSMALLINT nameLength = 0;
            stmt.Check(SQLDescribeColW(stmt.Get(), number, name, 1024, &nameLength, &sqlType,
                                       &columnSize, &decimalDigits, &nullable),
                       "describe a column");
            plan.Def.Name = WideToCodePage(WideView(name, std::min<size_t>(nameLength, 1023)));
        }
        SQLLEN isUnsigned = SQL_FALSE, autoIncrement = SQL_FALSE,
               updatable = SQL_ATTR_READWRITE_UNKNOWN;
        SQLColAttributeW(stmt.Get(), number, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        SQLColAttributeW(stmt.Get(), number, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr,
                         &autoIncrement);
        SQLColAttributeW(stmt.Get(), number, SQL_DESC_UPDATABLE, nullptr, 0, nullptr, &updatable);
        SQLWCHAR typeName[128] = {};
        SQLSMALLINT typeNameBytes = 0;
        SQLColAttributeW(stmt.Get(), number, SQL_DESC_TYPE_NAME, typeName, sizeof typeName,
                         &typeNameBytes, nullptr);
        size_t typeNameUnits = std::min<size_t>(
            static_cast<size_t>(std::max<SQLSMALLINT>(typeNameBytes, 0)) / sizeof(SQLWCHAR), 127);
        std::string typeNameText =
            Utf16ToUtf8(WideView(typeName, typeNameUnits), TConversion::Lenient);

        TAdoType adoType = AdoTypeOf(sqlType, isUnsigned == SQL_TRUE, typeNameText);
        int precision = static_cast<int>(std::min<SQLULEN>(columnSize, 0x7fffffff));
        std::optional<TFieldType> kind =
            FieldTypeOf(adoType, precision, decimalDigits, autoIncrement == SQL_TRUE);
        if (!kind || *kind == TFieldType::ftIDispatch || *kind == TFieldType::ftInterface ||
            *kind == TFieldType::ftDataSet)
            return std::nullopt;

        plan.Fetch = FetchKindOf(*kind, adoType);
        plan.Def.DataType = *kind;
        plan.Def.Storage = StorageOf(plan.Fetch);
        plan.Def.Size = precision;
        plan.Def.Precision = precision;
        plan.Def.Scale = decimalDigits;
        plan.Def.AutoIncrement = autoIncrement == SQL_TRUE;
        plan.Def.ReadOnly = updatable == SQL_ATTR_READONLY;
        PlanBuffer(plan, columnSize);
        return plan;
    }

    // Decides the C type and whether a column is bound in blocks or read in chunks.
    void PlanBuffer(TColumnPlan& plan, SQLULEN columnSize) const {
        switch (plan.Fetch) {
        case TFetchKind::Integer:
            plan.CType = SQL_C_SBIGINT;
            plan.ValueBytes = sizeof(int64_t);
            plan.Bound = true;
            break;
        case TFetchKind::Single: // read as double, see AppendBound
        case TFetchKind::Double:
            plan.CType = SQL_C_DOUBLE;
            plan.ValueBytes = sizeof(double);
            plan.Bound = true;
            break;
        case TFetchKind::Bit:
            plan.CType = SQL_C_BIT;
            plan.ValueBytes = 1;
            plan.Bound = true;
            break;
        case TFetchKind::UnsignedText:
        case TFetchKind::DateTimeText:
            plan.CType = SQL_C_CHAR;
            plan.ValueBytes = 64;
            plan.Bound = true;
            break;
        case TFetchKind::DecimalText:
            plan.CType = SQL_C_CHAR;
            plan.ValueBytes =
                std::max<size_t>(80, static_cast<size_t>(std::min<SQLULEN>(columnSize, 1000)) + 4);
            plan.Bound = true;
            break;
        case TFetchKind::WideText: {
            if (FUtf8Text) {
                plan.Utf8 = true;
                plan.CType = SQL_C_BINARY;
                size_t bytes =
                    static_cast<size_t>(std::min<SQLULEN>(columnSize, kMaxBoundValueBytes)) * 4;
                plan.Bound = columnSize > 0 && bytes <= kMaxBoundValueBytes &&
                             plan.Def.DataType != TFieldType::ftMemo;
                plan.ValueBytes = std::max<size_t>(bytes, 1);
                break;
            }
            plan.CType = SQL_C_WCHAR;
            // A character may take two UTF-16 units (characters outside the BMP).
            size_t bytes =
                (static_cast<size_t>(std::min<SQLULEN>(columnSize, kMaxBoundValueBytes)) * 2 + 1) *
                sizeof(SQLWCHAR);
            plan.Bound = !FUnsizedText && columnSize > 0 && bytes <= kMaxBoundValueBytes &&
                         plan.Def.DataType != TFieldType::ftMemo;
            plan.ValueBytes = bytes;
            break;
        }
        case TFetchKind::Binary: {
            plan.CType = SQL_C_BINARY;
            size_t bytes =
                static_cast<size_t>(std::min<SQLULEN>(columnSize, kMaxBoundValueBytes + 1));
            plan.Bound = !FUnsizedText && columnSize > 0 && bytes <= kMaxBoundValueBytes &&
                         plan.Def.DataType != TFieldType::ftBlob;
            plan.ValueBytes = std::max<size_t>(bytes, 1);
            break;
        }
        }
    }

    void FetchAll(const THandle& stmt, std::vector<TColumnPlan>& plans, TDataPacket& packet) {
        // Columns after the first chunked one are read with SQLGetData as well, since
        // drivers only promise SQLGetData for columns after the last bound one; a statement
        // with chunked columns then fetches one row per call.
        auto firstChunked = std::find_if(plans.begin(), plans.end(),
                                         [](const TColumnPlan& plan) { return !plan.Bound; });
        bool anyChunked = firstChunked != plans.end();
        for (auto it = firstChunked; it != plans.end(); ++it)
            it->Bound = false;

        size_t rowBytes = 0;
        for (const TColumnPlan& plan : plans)
            if (plan.Bound) rowBytes += plan.ValueBytes + sizeof(SQLLEN);
        size_t blockRows =
            anyChunked
                ? 1
                : std::clamp<size_t>(kBlockBytes / std::max<size_t>(rowBytes, 1), 1, kMaxBlockRows);

        SQLULEN fetched = 0;
        std::vector<SQLUSMALLINT> rowStatus(blockRows);
        stmt.Check(SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROW_BIND_TYPE,
                                  reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
                   "choose column-wise binding");
        stmt.Check(SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROW_ARRAY_SIZE,
                                  reinterpret_cast<SQLPOINTER>(blockRows), 0),
                   "set the block size");
        stmt.Check(SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0),
                   "set the fetched-rows counter");
        stmt.Check(SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROW_STATUS_PTR, rowStatus.data(), 0),
                   "set the row status array");
        for (TColumnPlan& plan : plans) {
            if (!plan.Bound) continue;
            AllocateBlock(plan, blockRows);
            stmt.Check(SQLBindCol(stmt.Get(), plan.Number, plan.CType, plan.Buffer.data(),
                                  static_cast<SQLLEN>(plan.ValueBytes), plan.Indicators.data()),
                       "bind a column");
        }

        std::string text;
        for (;;) {
            for (TColumnPlan& plan : plans)
                std::fill(plan.Indicators.begin(), plan.Indicators.end(), kUnwritten);
            std::fill(rowStatus.begin(), rowStatus.end(), SQL_ROW_SUCCESS);
            SQLRETURN rc = SQLFetch(stmt.Get());
            if (rc == SQL_NO_DATA) break;
            for (const TColumnPlan& plan : plans)
                if (plan.Bound) CheckGuards(plan, blockRows);
            stmt.Check(rc, "fetch rows");
            if (fetched > blockRows)
                throw EDatabaseError(Format("The driver fetched %zu rows into a block of %zu",
                                            static_cast<size_t>(fetched), blockRows));
            if (packet.RowCount == 0) ReserveFromFirstBlock(stmt, plans, packet, fetched);
            for (size_t row = 0; row < fetched; ++row) {
                if (rowStatus[row] == SQL_ROW_ERROR)
                    Fail(SQL_HANDLE_STMT, stmt.Get(), "fetch a row");
                for (TColumnPlan& plan : plans) {
                    TColumnData& column = packet.Columns[plan.Packet];
                    if (plan.Bound)
                        AppendBound(plan, row, column);
                    else
                        AppendChunked(stmt, plan, column, text);
                }
                packet.EndRow();
            }
        }
        SQLFreeStmt(stmt.Get(), SQL_UNBIND);
    }

    static void AllocateBlock(TColumnPlan& plan, size_t rows) {
        size_t bytes = plan.ValueBytes * rows;
        size_t guard = IsFixedSize(plan.CType) ? std::max(kGuardBytes, bytes) : kGuardBytes;
        plan.Buffer.assign(bytes + guard, 0);
        FillGuard(plan.Buffer.data() + bytes, guard);
        plan.Indicators.assign(rows + kGuardIndicators, kUnwritten);
    }

    static void CheckGuards(const TColumnPlan& plan, size_t rows) {
        size_t bytes = plan.ValueBytes * rows;
        bool values = GuardIntact(plan.Buffer.data() + bytes, plan.Buffer.size() - bytes);
        bool indicators = std::all_of(plan.Indicators.begin() + static_cast<ptrdiff_t>(rows),
                                      plan.Indicators.end(),
                                      [](SQLLEN indicator) { return indicator == kUnwritten; });
        if (!values || !indicators)
            throw EDatabaseError(Format("The driver wrote past the %s of column %s (%s)",
                                        values ? "indicators" : "buffer", plan.Def.Name.c_str(),
                                        CTypeName(plan.CType)));
    }

    // Drivers that hold the whole result know its row count; reserving for it (text arenas
    // by the first block's average) spares the copies of growing columns.
    static void ReserveFromFirstBlock(const THandle& stmt, const std::vector<TColumnPlan>& plans,
                                      TDataPacket& packet, SQLULEN fetched) {
        SQLLEN expected = -1;
        if (!SQL_SUCCEEDED(SQLRowCount(stmt.Get(), &expected)) || expected <= 0 || fetched == 0)
            return;
        size_t rows = static_cast<size_t>(expected);
        for (const TColumnPlan& plan : plans) {
            size_t arenaBytes = 0;
            if (plan.Bound && (plan.Def.Storage == TValueStorage::Bytes ||
                               plan.Def.Storage == TValueStorage::Decimal)) {
                size_t sampleBytes = 0;
                for (size_t row = 0; row < fetched; ++row)
                    if (plan.Indicators[row] > 0)
                        sampleBytes += static_cast<size_t>(plan.Indicators[row]);
                arenaBytes = sampleBytes / fetched * rows + rows / 8 + 64;
            }
            packet.Columns[plan.Packet].Reserve(rows, arenaBytes);
        }
    }

    static void AppendBound(const TColumnPlan& plan, size_t row, TColumnData& column) {
        SQLLEN indicator = plan.Indicators[row];
        if (indicator == SQL_NULL_DATA) {
            column.AppendNull();
            return;
        }
        if (indicator == kUnwritten && !IsFixedSize(plan.CType))
            throw EDatabaseError(Format("The driver gave no length for a value of column %s (%s)",
                                        plan.Def.Name.c_str(), CTypeName(plan.CType)));
        const char* value = plan.Buffer.data() + row * plan.ValueBytes;
        size_t capacity = plan.ValueBytes;
        if (plan.CType == SQL_C_CHAR || plan.CType == SQL_C_WCHAR)
            capacity -= plan.CType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1; // the terminator
        if ((plan.CType == SQL_C_CHAR || plan.CType == SQL_C_WCHAR || plan.CType == SQL_C_BINARY) &&
            (indicator == SQL_NO_TOTAL || indicator < 0 ||
             static_cast<size_t>(indicator) > capacity))
            throw EDatabaseError(Format("A value of column %s is longer than the driver announced",
                                        plan.Def.Name.c_str()));
        switch (plan.Fetch) {
        case TFetchKind::Integer: {
            int64_t number;
            std::memcpy(&number, value, sizeof number);
            column.AppendInt64(number);
            break;
        }
        case TFetchKind::Single: {
            // Fetched as SQL_C_DOUBLE: the MariaDB driver steps SQL_C_FLOAT column arrays by
            // the size of a double, so a block of floats overran its buffer by half. A
            // single-precision value widened to double narrows back exactly.
            double number;
            std::memcpy(&number, value, sizeof number);
            column.AppendSingle(static_cast<float>(number));
            break;
        }
        case TFetchKind::Double: {
            double number;
            std::memcpy(&number, value, sizeof number);
            column.AppendDouble(number);
            break;
        }
        case TFetchKind::Bit:
            column.AppendBoolean(*value != 0);
            break;
        case TFetchKind::WideText: {
            if (plan.Utf8) {
                std::string_view bytes(value, static_cast<size_t>(indicator));
                if (IsAscii(bytes)) {
                    column.AppendBytes(bytes); // the same bytes in the code page
                } else {
                    column.AppendBytes(Utf8ToCodePage(bytes, TConversion::Strict));
                }
            } else {
                std::string text;
                size_t units = static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
                AppendWideAsCodePage(text,
                                     WideView(reinterpret_cast<const SQLWCHAR*>(value), units));
                column.AppendBytes(text);
            }
            break;
        }
        default:
            AppendText(plan, std::string_view(value, static_cast<size_t>(indicator)), column);
            break;
        }
    }

    // Values fetched as text: exact numbers, unsigned 64-bit integers, dates and times.
    static void AppendText(const TColumnPlan& plan, std::string_view text, TColumnData& column) {
        switch (plan.Fetch) {
        case TFetchKind::UnsignedText: {
            uint64_t number = 0;
            for (char c : text) {
                if (c < '0' || c > '9')
                    throw EDatabaseError(
                        Format("Column %s holds \"%.*s\", which is no unsigned integer",
                               plan.Def.Name.c_str(), static_cast<int>(text.size()), text.data()));
                number = number * 10 + static_cast<uint64_t>(c - '0');
            }
            column.AppendUInt64(number);
            break;
        }
        case TFetchKind::DecimalText: {
            // Some drivers write ".5" and "-.5".
            size_t digitsAt = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
            if (digitsAt < text.size() && text[digitsAt] == '.') {
                std::string exact(text.substr(0, digitsAt));
                exact += '0';
                exact += text.substr(digitsAt);
                column.AppendBytes(exact);
            } else {
                column.AppendBytes(text);
            }
            break;
        }
        case TFetchKind::DateTimeText: {
            std::optional<TDateTimeParts> parts = ParseDateTimeText(text);
            if (parts)
                column.AppendDateTime(*parts);
            else
                column.AppendDateTimeText(text);
            break;
        }
        case TFetchKind::Binary:
            column.AppendBytes(text);
            break;
        default:
            break;
        }
    }

    // Reads a column of the current row with SQLGetData, chunk by chunk, with no size limit.
    // Returns false for null.
    static bool GetChunked(const THandle& stmt, SQLUSMALLINT number, SQLSMALLINT cType,
                           std::string& bytes) {
        bytes.clear();
        // Kept between calls: a fresh zeroed chunk for every value of every row costs more
        // than reading most values.
        thread_local std::vector<char> chunk(kChunkBytes);
        size_t terminator = cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : cType == SQL_C_CHAR ? 1 : 0;
        size_t capacity = chunk.size() - terminator;
        for (;;) {
            SQLLEN indicator = 0;
            SQLRETURN rc = SQLGetData(stmt.Get(), number, cType, chunk.data(),
                                      static_cast<SQLLEN>(chunk.size()), &indicator);
            if (rc == SQL_NO_DATA) break;
            stmt.Check(rc, "read a value");
            if (indicator == SQL_NULL_DATA) return false;
            bool more = indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > capacity;
            size_t got = more ? capacity : static_cast<size_t>(indicator);
            if (cType == SQL_C_WCHAR) got -= got % sizeof(SQLWCHAR);
            bytes.append(chunk.data(), got);
            if (!more) break;
        }
        return true;
    }

    static void AppendChunked(const THandle& stmt, TColumnPlan& plan, TColumnData& column,
                              std::string& bytes) {
        SQLSMALLINT cType =
            plan.CType == SQL_C_WCHAR || plan.CType == SQL_C_BINARY ? plan.CType : SQL_C_CHAR;
        if (plan.Fetch == TFetchKind::Integer || plan.Fetch == TFetchKind::Single ||
            plan.Fetch == TFetchKind::Double || plan.Fetch == TFetchKind::Bit) {
            AppendFixedByGetData(stmt, plan, column);
            return;
        }
        if (!GetChunked(stmt, plan.Number, cType, bytes)) {
            column.AppendNull();
            return;
        }
        if (plan.Fetch == TFetchKind::WideText && plan.Utf8) {
            std::string text;
            AppendUtf8AsCodePage(text, bytes);
            column.AppendBytes(text);
        } else if (plan.Fetch == TFetchKind::WideText) {
            std::string text;
            AppendWideAsCodePage(text, WideView(reinterpret_cast<const SQLWCHAR*>(bytes.data()),
                                                bytes.size() / sizeof(SQLWCHAR)));
            column.AppendBytes(text);
        } else if (plan.Fetch == TFetchKind::Binary) {
            column.AppendBytes(bytes);
        } else {
            AppendText(plan, bytes, column);
        }
    }

    // The same buffer layout, guard and indicator handling as a bound block of one row; the
    // column's one-row buffer is made at its first value and kept for the rest.
    static void AppendFixedByGetData(const THandle& stmt, TColumnPlan& plan, TColumnData& column) {
        if (plan.Buffer.empty()) AllocateBlock(plan, 1);
        std::fill(plan.Indicators.begin(), plan.Indicators.end(), kUnwritten);
        SQLRETURN rc = SQLGetData(stmt.Get(), plan.Number, plan.CType, plan.Buffer.data(),
                                  static_cast<SQLLEN>(plan.ValueBytes), plan.Indicators.data());
        CheckGuards(plan, 1);
        stmt.Check(rc, "read a value");
        AppendBound(plan, 0, column);
    }

    // A text column of a catalogue result; false for null.
    bool GetLongText(const THandle& stmt, SQLUSMALLINT number, std::string& text) {
        std::string bytes;
        if (!GetChunked(stmt, number, SQL_C_WCHAR, bytes)) {
            text.clear();
            return false;
        }
        text = WideToCodePage(WideView(reinterpret_cast<const SQLWCHAR*>(bytes.data()),
                                       bytes.size() / sizeof(SQLWCHAR)));
        return true;
    }

    THandle FEnv;
    THandle FDbc;
    std::string FConnectionString;
    bool FConnected = false;
    bool FAnsi = false;
    bool FUnsizedText = false;
    bool FUtf8Text = false;
};

} // namespace

std::unique_ptr<TDatabase> CreateDatabase() {
    return std::make_unique<TOdbcDatabase>();
}

} // namespace platform
