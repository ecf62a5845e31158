#include <gtest/gtest.h>

#include "base/DataPacket.h"
#include "base/ValueText.h"

TEST(DataPacket, CellsKeepTheirValuesThroughNullsAndEdits) {
    TColumnData text(TValueStorage::Bytes);
    text.AppendBytes("first");
    text.AppendNull();
    text.AppendBytes(std::string("bin\0ary", 7));
    text.AppendBytes("");
    ASSERT_EQ(text.RowCount(), 4u);
    EXPECT_EQ(text.Bytes(0), "first");
    EXPECT_TRUE(text.IsNull(1));
    EXPECT_EQ(text.Bytes(2), std::string_view("bin\0ary", 7));
    EXPECT_FALSE(text.IsNull(3));
    EXPECT_EQ(text.Bytes(3), "");
    // An edit may copy another cell of the same column, even while the arena grows.
    for (int i = 0; i < 50; ++i)
        text.SetBytes(1, text.Bytes(i % 2 == 0 ? 0 : 2));
    EXPECT_FALSE(text.IsNull(1));
    EXPECT_EQ(text.Bytes(1), text.Bytes(2));
    EXPECT_EQ(text.Bytes(0), "first");
    text.SetNull(0);
    EXPECT_TRUE(text.IsNull(0));

    TColumnData dates(TValueStorage::DateTime);
    TDateTimeParts noon{2024, 3, 4, 12, 0, 0, 0, false};
    dates.AppendDateTime(noon);
    dates.AppendDateTimeText("0000-00-00");
    dates.AppendNull();
    dates.AppendDateTimeText("0000-00-00 00:00:00");
    EXPECT_EQ(dates.DateTime(0), noon);
    EXPECT_TRUE(dates.HasDateTimeText(1));
    EXPECT_EQ(dates.Bytes(1), "0000-00-00");
    EXPECT_EQ(dates.Bytes(3), "0000-00-00 00:00:00");
    EXPECT_TRUE(dates.IsNull(2));
    dates.SetDateTimeText(0, dates.Bytes(3));
    EXPECT_EQ(dates.Bytes(0), "0000-00-00 00:00:00");
    dates.SetDateTime(1, noon);
    EXPECT_FALSE(dates.HasDateTimeText(1));
    EXPECT_EQ(dates.DateTime(1), noon);
    std::string shown;
    AppendValueText(dates, 0, TFieldType::ftDateTime, TDateTimeStyle::Blank, shown);
    EXPECT_EQ(shown, "0000-00-00 00:00:00");

    TColumnData numbers(TValueStorage::UInt64);
    numbers.AppendNull();
    numbers.AppendUInt64(18446744073709551615ull);
    EXPECT_EQ(numbers.UInt64(1), 18446744073709551615ull);
    numbers.SetUInt64(0, 7);
    EXPECT_FALSE(numbers.IsNull(0));
    EXPECT_EQ(numbers.UInt64(0), 7u);
}

TEST(DataPacket, RowsAreStoredWithoutPerCellObjects) {
    TDataPacket packet;
    packet.AddField({"id", TFieldType::ftInteger, TValueStorage::Int64});
    packet.AddField({"name", TFieldType::ftString, TValueStorage::Bytes});
    const size_t rows = 10000;
    const std::string name = "a longer name than fits a small string";
    for (size_t i = 0; i < rows; ++i) {
        packet.Columns[0].AppendInt64(static_cast<int64_t>(i));
        packet.Columns[1].AppendBytes(name);
        packet.EndRow();
    }
    packet.ShrinkToFit();
    // 8 bytes per integer, a 12-byte span per text, one flag per cell, plus the text itself.
    size_t values = rows * (8 + 12 + 2 + name.size());
    EXPECT_GE(packet.MemoryUsed(), values);
    EXPECT_LE(packet.MemoryUsed(), values + 1024);
    EXPECT_EQ(packet.Columns[1].Bytes(rows - 1), name);
}
