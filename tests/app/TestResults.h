// Building real in-memory results for the tests: a packet column by column, row by row.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ResultSet.h"

// One column of a test result: its descriptor and a filler per row.
struct TestColumn {
    std::string Name;
    TFieldType Kind;
    TValueStorage Storage;
    std::vector<std::function<void(TColumnData&)>> Cells;
    bool Selection = false; // the tick column the rewrite adds
};

inline std::function<void(TColumnData&)> Null() {
    return [](TColumnData& c) { c.AppendNull(); };
}
inline std::function<void(TColumnData&)> Int(int64_t v) {
    return [v](TColumnData& c) { c.AppendInt64(v); };
}
inline std::function<void(TColumnData&)> UInt(uint64_t v) {
    return [v](TColumnData& c) { c.AppendUInt64(v); };
}
inline std::function<void(TColumnData&)> Dbl(double v) {
    return [v](TColumnData& c) { c.AppendDouble(v); };
}
inline std::function<void(TColumnData&)> Sgl(float v) {
    return [v](TColumnData& c) { c.AppendSingle(v); };
}
inline std::function<void(TColumnData&)> Bool(bool v) {
    return [v](TColumnData& c) { c.AppendBoolean(v); };
}
inline std::function<void(TColumnData&)> Bytes(std::string v) {
    return [v](TColumnData& c) { c.AppendBytes(v); };
}
inline std::function<void(TColumnData&)> Date(TDateTimeParts v) {
    return [v](TColumnData& c) { c.AppendDateTime(v); };
}
inline std::function<void(TColumnData&)> DateText(std::string v) {
    return [v](TColumnData& c) { c.AppendDateTimeText(v); };
}

// A packet of the given columns; all must have the same number of cells.
inline TDataPacket MakePacket(const std::vector<TestColumn>& columns) {
    TDataPacket packet;
    for (const TestColumn& column : columns) {
        TFieldDef def;
        def.Name = column.Name;
        def.DataType = column.Kind;
        def.Storage = column.Storage;
        if (column.Selection) packet.SelectionColumn = static_cast<int>(packet.Fields.size());
        packet.AddField(def);
    }
    size_t rows = columns.empty() ? 0 : columns[0].Cells.size();
    for (size_t row = 0; row < rows; ++row) {
        for (size_t i = 0; i < columns.size(); ++i)
            columns[i].Cells[row](packet.Columns[i]);
        packet.EndRow();
    }
    return packet;
}

// The SEL column as each database kind delivers it.
inline TestColumn BooleanSel(std::vector<bool> ticks) {
    TestColumn column{"SEL", TFieldType::ftBoolean, TValueStorage::Boolean, {}, true};
    for (bool tick : ticks)
        column.Cells.push_back(Bool(tick));
    return column;
}
inline TestColumn IntegerSel(std::vector<int64_t> ticks) {
    TestColumn column{"SEL", TFieldType::ftLargeint, TValueStorage::UInt64, {}, true};
    for (int64_t tick : ticks)
        column.Cells.push_back(UInt(static_cast<uint64_t>(tick)));
    return column;
}
