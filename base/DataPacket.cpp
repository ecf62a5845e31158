#include "base/DataPacket.h"

#include <cassert>

const char* FieldTypeName(TFieldType type) {
    static const char* const names[] = {
        "Unknown",    "String",     "Smallint", "Integer",     "Word",      "Boolean",
        "Float",      "Currency",   "BCD",      "Date",        "Time",      "DateTime",
        "Bytes",      "VarBytes",   "AutoInc",  "Blob",        "Memo",      "Graphic",
        "FmtMemo",    "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor",    "FixedChar",
        "WideString", "Largeint",   "ADT",      "Array",       "Reference", "DataSet",
        "OraBlob",    "OraClob",    "Variant",  "Interface",   "IDispatch", "Guid",
        "TimeStamp",  "FMTBcd"};
    static_assert(sizeof(names) / sizeof(names[0]) ==
                  static_cast<size_t>(TFieldType::ftFMTBcd) + 1);
    size_t index = static_cast<size_t>(type);
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : "Unknown";
}

TColumnData::Span TColumnData::Store(std::string_view bytes) {
    uint64_t offset = FArena.size();
    FArena.append(bytes);
    return Span{static_cast<uint32_t>(offset), static_cast<uint32_t>(offset >> 32),
                static_cast<uint32_t>(bytes.size())};
}

// Every row gets a slot in the value vector of its storage, null or not.
void TColumnData::PushSlot() {
    switch (FStorage) {
    case TValueStorage::Int64:
    case TValueStorage::UInt64:
        FInts.push_back(0);
        break;
    case TValueStorage::Double:
        FDoubles.push_back(0);
        break;
    case TValueStorage::Single:
        FSingles.push_back(0);
        break;
    case TValueStorage::Boolean:
        FBooleans.push_back(0);
        break;
    case TValueStorage::Decimal:
    case TValueStorage::Bytes:
        FSpans.push_back(Span{0, 0, 0});
        break;
    case TValueStorage::DateTime:
        FDates.emplace_back();
        break;
    }
}

void TColumnData::AppendNull() {
    PushSlot();
    FNull.push_back(kNull);
}

void TColumnData::AppendInt64(int64_t value) {
    assert(FStorage == TValueStorage::Int64);
    FInts.push_back(value);
    FNull.push_back(kValue);
}

void TColumnData::AppendUInt64(uint64_t value) {
    assert(FStorage == TValueStorage::UInt64);
    FInts.push_back(static_cast<int64_t>(value));
    FNull.push_back(kValue);
}

void TColumnData::AppendDouble(double value) {
    assert(FStorage == TValueStorage::Double);
    FDoubles.push_back(value);
    FNull.push_back(kValue);
}

void TColumnData::AppendSingle(float value) {
    assert(FStorage == TValueStorage::Single);
    FSingles.push_back(value);
    FNull.push_back(kValue);
}

void TColumnData::AppendBoolean(bool value) {
    assert(FStorage == TValueStorage::Boolean);
    FBooleans.push_back(value ? 1 : 0);
    FNull.push_back(kValue);
}

void TColumnData::AppendBytes(std::string_view bytes) {
    assert(FStorage == TValueStorage::Bytes || FStorage == TValueStorage::Decimal);
    FSpans.push_back(Store(bytes));
    FNull.push_back(kValue);
}

void TColumnData::AppendDateTime(const TDateTimeParts& value) {
    assert(FStorage == TValueStorage::DateTime);
    FDates.push_back(value);
    FNull.push_back(kValue);
}

void TColumnData::AppendDateTimeText(std::string_view serverText) {
    assert(FStorage == TValueStorage::DateTime);
    FDates.emplace_back();
    FNull.push_back(kValue);
    SetDateTimeText(FNull.size() - 1, serverText);
}

std::string_view TColumnData::Bytes(size_t row) const {
    const Span* span;
    if (FStorage == TValueStorage::DateTime) {
        assert(FNull[row] == kDateText);
        // A text cell keeps the index of its span where the nanoseconds would be.
        span = &FSpans[FDates[row].Nanoseconds];
    } else {
        assert(FStorage == TValueStorage::Bytes || FStorage == TValueStorage::Decimal);
        span = &FSpans[row];
    }
    uint64_t offset = span->OffsetLow | (static_cast<uint64_t>(span->OffsetHigh) << 32);
    return std::string_view(FArena.data() + offset, span->Length);
}

void TColumnData::SetNull(size_t row) {
    SetFlag(row, kNull);
}

void TColumnData::SetInt64(size_t row, int64_t value) {
    assert(FStorage == TValueStorage::Int64);
    FInts[row] = value;
    SetFlag(row, kValue);
}

void TColumnData::SetUInt64(size_t row, uint64_t value) {
    assert(FStorage == TValueStorage::UInt64);
    FInts[row] = static_cast<int64_t>(value);
    SetFlag(row, kValue);
}

void TColumnData::SetDouble(size_t row, double value) {
    assert(FStorage == TValueStorage::Double);
    FDoubles[row] = value;
    SetFlag(row, kValue);
}

void TColumnData::SetSingle(size_t row, float value) {
    assert(FStorage == TValueStorage::Single);
    FSingles[row] = value;
    SetFlag(row, kValue);
}

void TColumnData::SetBoolean(size_t row, bool value) {
    assert(FStorage == TValueStorage::Boolean);
    FBooleans[row] = value ? 1 : 0;
    SetFlag(row, kValue);
}

void TColumnData::SetBytes(size_t row, std::string_view bytes) {
    assert(FStorage == TValueStorage::Bytes || FStorage == TValueStorage::Decimal);
    // The bytes may point into the arena itself (a copy of another cell): store a copy first.
    if (!bytes.empty() && bytes.data() >= FArena.data() &&
        bytes.data() < FArena.data() + FArena.size()) {
        std::string copy(bytes);
        FSpans[row] = Store(copy);
    } else {
        FSpans[row] = Store(bytes);
    }
    SetFlag(row, kValue);
}

void TColumnData::SetDateTime(size_t row, const TDateTimeParts& value) {
    assert(FStorage == TValueStorage::DateTime);
    FDates[row] = value;
    SetFlag(row, kValue);
}

void TColumnData::SetDateTimeText(size_t row, std::string_view serverText) {
    assert(FStorage == TValueStorage::DateTime);
    std::string copy(serverText);
    FSpans.push_back(Store(copy));
    FDates[row] = TDateTimeParts{};
    FDates[row].Nanoseconds = static_cast<uint32_t>(FSpans.size() - 1);
    SetFlag(row, kDateText);
}

void TColumnData::Reserve(size_t rows, size_t arenaBytes) {
    FNull.reserve(rows);
    switch (FStorage) {
    case TValueStorage::Int64:
    case TValueStorage::UInt64:
        FInts.reserve(rows);
        break;
    case TValueStorage::Double:
        FDoubles.reserve(rows);
        break;
    case TValueStorage::Single:
        FSingles.reserve(rows);
        break;
    case TValueStorage::Boolean:
        FBooleans.reserve(rows);
        break;
    case TValueStorage::Decimal:
    case TValueStorage::Bytes:
        FSpans.reserve(rows);
        break;
    case TValueStorage::DateTime:
        FDates.reserve(rows);
        break;
    }
    if (arenaBytes > 0) FArena.reserve(arenaBytes);
}

void TColumnData::ShrinkToFit() {
    FNull.shrink_to_fit();
    FInts.shrink_to_fit();
    FBooleans.shrink_to_fit();
    FDoubles.shrink_to_fit();
    FSingles.shrink_to_fit();
    FSpans.shrink_to_fit();
    FDates.shrink_to_fit();
    FArena.shrink_to_fit();
}

size_t TColumnData::MemoryUsed() const {
    return sizeof(*this) + FNull.capacity() + FInts.capacity() * sizeof(int64_t) +
           FBooleans.capacity() + FDoubles.capacity() * sizeof(double) +
           FSingles.capacity() * sizeof(float) + FSpans.capacity() * sizeof(Span) +
           FDates.capacity() * sizeof(TDateTimeParts) + FArena.capacity();
}

void TDataPacket::AddField(const TFieldDef& def) {
    Fields.push_back(def);
    Columns.emplace_back(def.Storage);
}

void TDataPacket::Reserve(size_t rows) {
    for (TColumnData& column : Columns)
        column.Reserve(rows);
}

void TDataPacket::ShrinkToFit() {
    for (TColumnData& column : Columns)
        column.ShrinkToFit();
}

size_t TDataPacket::MemoryUsed() const {
    size_t total = sizeof(*this);
    for (const TFieldDef& def : Fields)
        total += sizeof(def) + def.Name.capacity();
    for (const TColumnData& column : Columns)
        total += column.MemoryUsed();
    return total;
}
