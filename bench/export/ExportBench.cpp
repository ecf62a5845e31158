// Export speed (rows per second, both database kinds) and the memory the in-memory result
// takes next to the text of its values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

#include "app/ScriptAssembly.h"
#include "app/ValueRendering.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace {

constexpr size_t kRows = 1000000;

// Counts what is added and keeps nothing.
class TCountingLines : public TStrings {
public:
    int Count() const override { return static_cast<int>(FLines); }
    std::string Get(int) const override { throw std::logic_error("discarded"); }
    void Put(int, const std::string&) override { throw std::logic_error("discarded"); }
    void Insert(int, const std::string&) override { throw std::logic_error("discarded"); }
    void Delete(int) override { throw std::logic_error("discarded"); }
    void Clear() override { FLines = FBytes = 0; }
    int Add(const std::string& line) override {
        FBytes += line.size() + 2;
        return static_cast<int>(FLines++);
    }
    size_t Bytes() const { return FBytes; }

private:
    size_t FLines = 0;
    size_t FBytes = 0;
};

TFieldDef Def(const char* name, TFieldType kind, TValueStorage storage) {
    TFieldDef def;
    def.Name = name;
    def.DataType = kind;
    def.Storage = storage;
    return def;
}

// SEL and ten columns of mixed kinds, every row ticked; appended row by row as the database
// layer does (no reservation up front).
TResultSet& MillionRows() {
    static TResultSet* result = [] {
        using K = TFieldType;
        using S = TValueStorage;
        TDataPacket packet;
        packet.SelectionColumn = 0;
        packet.AddField(Def("SEL", K::ftBoolean, S::Boolean));
        packet.AddField(Def("id", K::ftInteger, S::Int64));
        packet.AddField(Def("total", K::ftLargeint, S::Int64));
        packet.AddField(Def("price", K::ftBCD, S::Decimal));
        packet.AddField(Def("ratio", K::ftFloat, S::Double));
        packet.AddField(Def("name", K::ftString, S::Bytes));
        packet.AddField(Def("title", K::ftWideString, S::Bytes));
        packet.AddField(Def("created", K::ftDateTime, S::DateTime));
        packet.AddField(Def("photo", K::ftBlob, S::Bytes));
        packet.AddField(Def("remark", K::ftString, S::Bytes));
        packet.AddField(Def("active", K::ftBoolean, S::Boolean));
        std::string chinese = platform::Utf8ToCodePage("中文标题", platform::TConversion::Strict);
        std::string blob("\x00\x01\x7F\x80\xFF\x5C\x27\x0A\x10\x20\x30\x40\x50\x60\x70\x81", 16);
        char text[64];
        for (size_t i = 0; i < kRows; ++i) {
            int n = static_cast<int>(i);
            packet.Columns[0].AppendBoolean(true);
            packet.Columns[1].AppendInt64(n);
            packet.Columns[2].AppendInt64(static_cast<int64_t>(i) * 1000003);
            int length = std::snprintf(text, sizeof text, "%d.%02d", n % 100000, n % 100);
            packet.Columns[3].AppendBytes(std::string_view(text, static_cast<size_t>(length)));
            packet.Columns[4].AppendDouble(n * 0.37);
            length = std::snprintf(text, sizeof text, "O'Brien\\%d", n);
            packet.Columns[5].AppendBytes(std::string_view(text, static_cast<size_t>(length)));
            packet.Columns[6].AppendBytes(chinese + std::to_string(n % 1000));
            TDateTimeParts when{static_cast<int16_t>(2000 + n % 25),
                                static_cast<uint8_t>(1 + n % 12),
                                static_cast<uint8_t>(1 + n % 28),
                                static_cast<uint16_t>(n % 24),
                                static_cast<uint8_t>(n % 60),
                                static_cast<uint8_t>(n % 59),
                                static_cast<uint32_t>(n % 1000) * 1000000,
                                false};
            packet.Columns[7].AppendDateTime(when);
            packet.Columns[8].AppendBytes(blob);
            packet.Columns[9].AppendNull();
            packet.Columns[10].AppendBoolean(n % 2 == 0);
            packet.EndRow();
        }
        auto* loaded = new TResultSet;
        loaded->LoadPacket(std::move(packet));
        return loaded;
    }();
    return *result;
}

// The values as text: the literals the script holds for them (MySQL form).
size_t ValueTextBytes(TResultSet& result) {
    static size_t bytes = [&] {
        size_t total = 0;
        std::string literal;
        std::vector<TField> fields;
        for (int i = 0; i < result.FieldCount(); ++i)
            fields.push_back(result.Fields(i));
        for (result.First(); !result.Eof(); result.Next())
            for (const TField& field : fields) {
                literal.clear();
                AppendFieldLiteral(field, TDialect::dMysql, false, literal);
                total += literal.size();
            }
        result.First();
        return total;
    }();
    return bytes;
}

void BM_GenerateInsertScript(benchmark::State& state) {
    TResultSet& result = MillionRows();
    TCountingLines lines;
    TExportOptions options;
    options.Dialect = state.range(0) == 0 ? TDialect::dMssql : TDialect::dMysql;
    options.TableName = "orders";
    options.NotNullText = "remark";
    int repaints = 0;
    std::string status;
    options.OnRow = [&](int, int) { ++repaints; };
    options.OnStatus = [&](const std::string& text) { status = text; };
    size_t rows = 0;
    for (auto _ : state) {
        rows += static_cast<size_t>(GenerateInsertScript(result, lines, options));
        benchmark::DoNotOptimize(lines.Bytes());
    }
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["script_bytes_per_row"] = static_cast<double>(lines.Bytes()) / kRows;
    state.counters["result_set_bytes"] = static_cast<double>(result.Packet().MemoryUsed());
    state.counters["value_text_bytes"] = static_cast<double>(ValueTextBytes(result));
    state.counters["memory_ratio"] = static_cast<double>(result.Packet().MemoryUsed()) /
                                     static_cast<double>(ValueTextBytes(result));
    state.SetLabel(options.Dialect == TDialect::dMssql ? "mssql" : "mysql");
}

} // namespace

BENCHMARK(BM_GenerateInsertScript)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

BENCHMARK_MAIN();
