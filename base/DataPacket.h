// The value model of a query result: column descriptors and compact, column-wise rows.
// The database layer fills a packet; the in-memory result set (app/ResultSet) owns and edits it.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The kind of a result column, in the order of the classic data-access library.
enum class TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd
};

// "ftInteger" -> "Integer", as error texts name the types.
const char* FieldTypeName(TFieldType type);

// How a column's cells are held. Independent of the kind: an ftInteger column may hold
// 4294967295 (UInt64), an ftBoolean column Boolean, a zero date its server text.
enum class TValueStorage : uint8_t {
    Int64,  // signed integers
    UInt64, // unsigned 64-bit integers
    Double, // double precision
    Single, // single precision (kept as float so it renders as the same float)
    Boolean,
    Decimal,  // exact decimal text ("-12.50"), bytes in the arena
    DateTime, // TDateTimeParts; a cell may instead hold the server's text (zero dates)
    Bytes     // text in the code page, or raw bytes of binary and large objects
};

// A date, a time or both. The column's kind says which parts count.
// Hours may exceed 24 and the value may be negative (MySQL TIME).
struct TDateTimeParts {
    int16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint16_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
    uint32_t Nanoseconds = 0;
    bool Negative = false;
    bool operator==(const TDateTimeParts&) const = default;
};

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftUnknown;
    TValueStorage Storage = TValueStorage::Bytes;
    int Size = 0;
    int Precision = 0;
    int Scale = 0;
    bool AutoIncrement = false;
    bool ReadOnly = false; // the provider reports it as not updatable
};

// One column's cells. Only the vectors of its storage are used; text and bytes live in one
// arena per column with an (offset, length) per cell, so no cell owns a heap object.
// A null cell still takes its slot in the value vector, so row i is always slot i.
// Reading a cell with the wrong storage is a programming error (checked by assert).
class TColumnData {
public:
    explicit TColumnData(TValueStorage storage) : FStorage(storage) {}
    TValueStorage Storage() const { return FStorage; }
    size_t RowCount() const { return FNull.size(); }

    // Appends one null cell.
    void AppendNull();
    void AppendInt64(int64_t value);
    void AppendUInt64(uint64_t value);
    void AppendDouble(double value);
    void AppendSingle(float value);
    void AppendBoolean(bool value);
    void AppendBytes(std::string_view bytes); // also Decimal text
    void AppendDateTime(const TDateTimeParts& value);
    void AppendDateTimeText(std::string_view serverText); // a value the parts cannot hold

    bool IsNull(size_t row) const { return FNull[row] == kNull; }
    int64_t Int64(size_t row) const {
        assert(FStorage == TValueStorage::Int64 || FStorage == TValueStorage::UInt64);
        return FInts[row];
    }
    uint64_t UInt64(size_t row) const { return static_cast<uint64_t>(Int64(row)); }
    double Double(size_t row) const {
        assert(FStorage == TValueStorage::Double);
        return FDoubles[row];
    }
    float Single(size_t row) const {
        assert(FStorage == TValueStorage::Single);
        return FSingles[row];
    }
    bool Boolean(size_t row) const {
        assert(FStorage == TValueStorage::Boolean);
        return FBooleans[row] != 0;
    }
    // Bytes and Decimal storage, and the server text of a DateTime cell.
    std::string_view Bytes(size_t row) const;
    const TDateTimeParts& DateTime(size_t row) const {
        assert(FStorage == TValueStorage::DateTime);
        return FDates[row];
    }
    // The DateTime cell holds the server's text (Bytes gives it) instead of parts.
    bool HasDateTimeText(size_t row) const { return FNull[row] == kDateText; }

    void SetNull(size_t row);
    void SetInt64(size_t row, int64_t value);
    void SetUInt64(size_t row, uint64_t value);
    void SetDouble(size_t row, double value);
    void SetSingle(size_t row, float value);
    void SetBoolean(size_t row, bool value);
    // Bytes and Decimal storage. The old bytes stay in the arena until the packet is dropped;
    // edits are rare next to the rows a query delivers.
    void SetBytes(size_t row, std::string_view bytes);
    void SetDateTime(size_t row, const TDateTimeParts& value);
    void SetDateTimeText(size_t row, std::string_view serverText);

    void Reserve(size_t rows, size_t arenaBytes = 0);
    void ShrinkToFit();
    // Bytes the column holds, capacity included (for the memory benchmark).
    size_t MemoryUsed() const;

private:
    // A 12-byte (offset, length) into the arena; offsets beyond 4 GiB are split in two.
    struct Span {
        uint32_t OffsetLow;
        uint32_t OffsetHigh;
        uint32_t Length;
    };
    static constexpr uint8_t kValue = 0, kNull = 1, kDateText = 2;

    Span Store(std::string_view bytes);
    void PushSlot();
    void SetFlag(size_t row, uint8_t flag) { FNull[row] = flag; }

    TValueStorage FStorage;
    std::vector<uint8_t> FNull; // kValue, kNull or kDateText per row
    std::vector<int64_t> FInts; // Int64, UInt64 (bit pattern)
    std::vector<uint8_t> FBooleans;
    std::vector<double> FDoubles;
    std::vector<float> FSingles;
    std::vector<Span> FSpans; // Bytes, Decimal; for DateTime only the cells holding text
    std::vector<TDateTimeParts> FDates;
    std::string FArena;
};

// The descriptors plus rows appended one by one: what a query delivers.
struct TDataPacket {
    std::vector<TFieldDef> Fields;
    std::vector<TColumnData> Columns;
    size_t RowCount = 0;
    // The column the program added for the per-row tick (-1: none). Its name never makes a
    // user column's name change, whatever the user's names.
    int SelectionColumn = -1;

    // Adds a column with the storage of def; names follow the result rules (COLUMN%d, %s_%d)
    // when the result set loads the packet.
    void AddField(const TFieldDef& def);
    // Every column must have had exactly one Append* for the row.
    void EndRow() { ++RowCount; }
    void Reserve(size_t rows);
    void ShrinkToFit();
    size_t MemoryUsed() const;
};
