#include <gtest/gtest.h>

#include "app/RowSelection.h"
#include "app/WindowText.h"
#include "base/Exception.h"
#include "tests/app/TestResults.h"

namespace {

template <typename Call> std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no error)";
}

TDataPacket ThreeRows() {
    return MakePacket(
        {{"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(1), Int(2), Int(3)}},
         {"name", TFieldType::ftString, TValueStorage::Bytes, {Bytes("a"), Null(), Bytes("c")}},
         IntegerSel({0, 0, 0})});
}

} // namespace

TEST(ResultSet, ColumnNamesAreMadeUniqueAndKindlessColumnsLeftOut) {
    TResultSet result;
    result.LoadPacket(
        MakePacket({{"", TFieldType::ftInteger, TValueStorage::Int64, {Int(1)}},
                    {"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(2)}},
                    {"odd", TFieldType::ftUnknown, TValueStorage::Bytes, {Bytes("?")}},
                    {"ID", TFieldType::ftInteger, TValueStorage::Int64, {Int(3)}},
                    {"id_1", TFieldType::ftInteger, TValueStorage::Int64, {Int(4)}},
                    {"", TFieldType::ftInteger, TValueStorage::Int64, {Int(5)}},
                    {"column1", TFieldType::ftInteger, TValueStorage::Int64, {Int(6)}}}));
    std::vector<std::string> names;
    for (int i = 0; i < result.FieldCount(); ++i)
        names.push_back(result.Fields(i).FieldName());
    EXPECT_EQ(names, (std::vector<std::string>{"COLUMN1", "id", "ID_1", "id_1_1", "COLUMN5",
                                               "column1_1"}));
    EXPECT_EQ(result.FieldByName("Id_1_1").AsInteger(), 4);
    EXPECT_EQ(result.FieldByName("column5").AsInteger(), 5);
    EXPECT_FALSE(result.FindField("odd").has_value());
    EXPECT_EQ(ErrorOf([&] { result.FieldByName("odd"); }), "Field 'odd' not found");
}

TEST(ResultSet, RowsMoveAndPendingEditsArePostedByMoving) {
    TResultSet result;
    EXPECT_FALSE(result.Active());
    result.LoadPacket(ThreeRows());
    EXPECT_TRUE(result.Active());
    EXPECT_EQ(result.RecordCount(), 3);
    EXPECT_FALSE(result.IsEmpty());
    TField id = result.FieldByName("id");
    TField name = result.FieldByName("name");
    std::vector<int64_t> seen;
    for (result.First(); !result.Eof(); result.Next())
        seen.push_back(id.AsInteger());
    EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(result.RecNo(), 3);

    result.First();
    result.Next();
    EXPECT_TRUE(name.IsNull());
    EXPECT_EQ(name.AsString(), "");
    EXPECT_EQ(ErrorOf([&] { name.SetText("b"); }), CodePageText("数据集不在编辑状态"));
    result.Edit();
    name.SetText("b");
    id.SetAsInteger(20);
    EXPECT_EQ(result.State(), TDataSetState::dsEdit);
    result.Next();
    EXPECT_EQ(result.State(), TDataSetState::dsBrowse);
    result.Edit();
    id.SetText(" -30 ");
    result.First();
    EXPECT_EQ(result.State(), TDataSetState::dsBrowse);
    result.Next();
    EXPECT_EQ(name.AsString(), "b");
    EXPECT_EQ(id.AsInteger(), 20);
    result.Next();
    EXPECT_EQ(id.AsInteger(), -30);
    result.Edit();
    result.Close();
    EXPECT_EQ(result.State(), TDataSetState::dsInactive);
    EXPECT_EQ(result.RecordCount(), 0);

    // A new load replaces the rows and starts on the first one.
    result.LoadPacket(ThreeRows());
    EXPECT_EQ(result.RecNo(), 1);
    EXPECT_EQ(result.FieldByName("id").AsInteger(), 1);
    TResultSet empty;
    empty.LoadPacket(MakePacket({{"id", TFieldType::ftInteger, TValueStorage::Int64, {}}}));
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.Eof());
    EXPECT_TRUE(empty.Fields(0).IsNull());
    EXPECT_THROW(empty.Edit(), EDatabaseError);
}

TEST(ResultSet, WritableFlagsAndReadOnlySwitch) {
    TDataPacket packet = ThreeRows();
    packet.Fields[0].AutoIncrement = true;
    packet.Fields[1].ReadOnly = true;
    packet.Fields[2].ReadOnly = true;
    TResultSet result;
    result.LoadPacket(std::move(packet));
    EXPECT_TRUE(result.Fields(0).ReadOnly());
    EXPECT_TRUE(result.Fields(1).ReadOnly());
    TField sel = result.FieldByName("SEL");
    sel.SetReadOnly(false);
    result.Edit();
    sel.SetAsInteger(1);
    EXPECT_EQ(ErrorOf([&] { result.Fields(0).SetAsInteger(9); }), "Field 'id' cannot be modified");
    result.Post();
    EXPECT_EQ(sel.AsInteger(), 1);
    result.SetReadOnly(true);
    EXPECT_EQ(ErrorOf([&] { result.Edit(); }), CodePageText("无法修改只读数据集"));
}

TEST(ResultSet, BooleanAndIntegerAccessAreKeptApart) {
    TResultSet result;
    result.LoadPacket(
        MakePacket({BooleanSel({true}),
                    {"qty", TFieldType::ftInteger, TValueStorage::Int64, {Int(7)}},
                    {"big", TFieldType::ftInteger, TValueStorage::UInt64, {UInt(4294967295u)}},
                    {"yes", TFieldType::ftString, TValueStorage::Bytes, {Bytes("True")}},
                    {"when",
                     TFieldType::ftDateTime,
                     TValueStorage::DateTime,
                     {Date(TDateTimeParts{2024, 5, 6, 0, 0, 0, 0, false})}}}));
    TField sel = result.FieldByName("SEL");
    sel.SetDisplayLabel("选择");
    EXPECT_EQ(ErrorOf([&] { sel.AsInteger(); }), "Cannot access field '选择' as type Integer");
    result.Edit();
    EXPECT_EQ(ErrorOf([&] { sel.SetAsInteger(1); }), "Cannot access field '选择' as type Integer");
    TField qty = result.FieldByName("qty");
    EXPECT_EQ(ErrorOf([&] { qty.AsBoolean(); }), "Cannot access field 'qty' as type Boolean");
    EXPECT_EQ(ErrorOf([&] { qty.SetAsBoolean(true); }),
              "Cannot access field 'qty' as type Boolean");
    EXPECT_EQ(ErrorOf([&] { result.FieldByName("when").AsInteger(); }),
              "Cannot access field 'when' as type Integer");
    EXPECT_TRUE(sel.AsBoolean());
    EXPECT_EQ(sel.AsString(), "True");
    EXPECT_EQ(qty.AsInteger(), 7);
    EXPECT_EQ(result.FieldByName("big").AsInteger(), 4294967295);
    EXPECT_TRUE(result.FieldByName("yes").AsBoolean());
    EXPECT_EQ(result.FieldByName("when").AsString(), "2024-05-06");
    EXPECT_EQ(FieldTypeName(qty.DataType()), std::string("Integer"));
    EXPECT_EQ(FieldTypeName(TFieldType::ftFMTBcd), std::string("FMTBcd"));
}

TEST(ResultSet, TextEditsAreTypedPerStorage) {
    TResultSet result;
    result.LoadPacket(
        MakePacket({{"i", TFieldType::ftInteger, TValueStorage::Int64, {Int(1)}},
                    {"u", TFieldType::ftLargeint, TValueStorage::UInt64, {UInt(1)}},
                    {"d", TFieldType::ftFloat, TValueStorage::Double, {Dbl(1)}},
                    {"s", TFieldType::ftFloat, TValueStorage::Single, {Sgl(1)}},
                    {"m", TFieldType::ftBCD, TValueStorage::Decimal, {Bytes("1")}},
                    {"b", TFieldType::ftBoolean, TValueStorage::Boolean, {Bool(false)}},
                    {"t", TFieldType::ftDateTime, TValueStorage::DateTime, {Null()}},
                    {"tm", TFieldType::ftTime, TValueStorage::DateTime, {Null()}},
                    {"x", TFieldType::ftString, TValueStorage::Bytes, {Bytes("x")}}}));
    result.Edit();
    struct Case {
        const char* Field;
        const char* Text;
        const char* Shown; // nullptr: rejected
    } cases[] = {
        {"i", "-42", "-42"},
        {"i", "4.5", nullptr},
        {"i", "12abc", nullptr},
        {"i", "99999999999999999999", nullptr},
        {"u", "18446744073709551615", "18446744073709551615"},
        {"u", "-1", nullptr},
        {"d", "1.25e3", "1250"},
        {"d", "1,5", nullptr},
        {"d", "nan", nullptr},
        {"s", "0.1", "0.1"},
        {"m", "0012.500", "12.5"},
        {"m", "1e2", nullptr},
        {"b", "true", "True"},
        {"b", "maybe", nullptr},
        {"t", "2024-02-29 13:14:15.25", "2024-02-29 13:14:15.25"},
        {"t", "2023-02-29", nullptr},
        {"t", "2024-01-01T00:00:00", "2024-01-01"},
        {"t", "0000-00-00 00:00:00", "0000-00-00 00:00:00"},
        {"tm", "-838:59:59", "-838:59:59"},
        {"tm", "10:61:00", nullptr},
        {"x", "any text", "any text"},
    };
    for (const Case& c : cases) {
        TField field = result.FieldByName(c.Field);
        std::string before = field.AsString();
        if (c.Shown == nullptr) {
            EXPECT_THROW(field.SetText(c.Text), EConvertError) << c.Field << " " << c.Text;
            EXPECT_EQ(field.AsString(), before) << c.Field << " " << c.Text;
        } else {
            field.SetText(c.Text);
            EXPECT_EQ(field.AsString(), c.Shown) << c.Field << " " << c.Text;
        }
    }
    EXPECT_EQ(ErrorOf([&] { result.FieldByName("i").SetText("abc"); }),
              "'abc' is not a valid integer value");
    result.FieldByName("d").SetText("");
    EXPECT_TRUE(result.FieldByName("d").IsNull());
    result.FieldByName("x").SetText("");
    EXPECT_FALSE(result.FieldByName("x").IsNull());
    result.FieldByName("x").Clear();
    EXPECT_TRUE(result.FieldByName("x").IsNull());
}

TEST(ResultSet, DisplayUpdatesNestAndObserversHearOnlyWhenOn) {
    TResultSet result;
    std::vector<TResultSetChange> heard;
    result.OnChange = [&](TResultSetChange change) { heard.push_back(change); };
    result.LoadPacket(ThreeRows());
    result.Next();
    EXPECT_EQ(heard, (std::vector<TResultSetChange>{TResultSetChange::Opened,
                                                    TResultSetChange::Scrolled}));
    heard.clear();
    result.DisableControls();
    result.DisableControls();
    EXPECT_TRUE(result.ControlsDisabled());
    result.Next();
    result.Edit();
    result.FieldByName("id").SetAsInteger(5);
    result.EnableControls();
    EXPECT_TRUE(result.ControlsDisabled());
    EXPECT_TRUE(heard.empty());
    result.EnableControls();
    EXPECT_FALSE(result.ControlsDisabled());
    EXPECT_EQ(heard, (std::vector<TResultSetChange>{TResultSetChange::Refresh}));
    result.EnableControls(); // one too many does not go below zero
    EXPECT_FALSE(result.ControlsDisabled());
    result.DisableControls();
    EXPECT_TRUE(result.ControlsDisabled());
}

TEST(ResultSet, PositionsLabelsAndTheSelTextHook) {
    TResultSet result;
    result.LoadPacket(ThreeRows());
    TField sel = result.FieldByName("SEL");
    EXPECT_EQ(sel.Index(), 2);
    sel.SetIndex(0);
    EXPECT_EQ(sel.Index(), 0);
    EXPECT_EQ(result.Fields(0).FieldName(), "SEL");
    EXPECT_EQ(result.Fields(1).FieldName(), "id");
    EXPECT_EQ(result.Fields(2).FieldName(), "name");
    EXPECT_EQ(result.FieldByName("name").Index(), 2);
    EXPECT_EQ(sel.DisplayLabel(), "SEL");
    sel.SetDisplayLabel("x");
    EXPECT_EQ(result.Fields(0).DisplayLabel(), "x");

    sel.SetOnGetText(SelGetText);
    result.Edit();
    sel.SetAsInteger(1);
    EXPECT_EQ(sel.DisplayText(), " \xA1\xCC"); // " √" in the code page
    EXPECT_EQ(sel.AsString(), "1");
    sel.SetAsInteger(0);
    EXPECT_EQ(sel.DisplayText(), "");
    sel.SetAsInteger(5);
    EXPECT_EQ(sel.Text(), " \xA1\xCC");
    sel.Clear();
    EXPECT_EQ(sel.DisplayText(), "");
    EXPECT_FALSE(IsRowTicked(sel));
}

TEST(RowSelection, SetAllSelectedTicksByKindAndRestoresTheResult) {
    for (bool booleanKind : {true, false}) {
        TResultSet result;
        result.LoadPacket(MakePacket(
            {booleanKind ? BooleanSel({false, false, true}) : IntegerSel({0, 5, 1}),
             {"id", TFieldType::ftInteger, TValueStorage::Int64, {Int(1), Int(2), Int(3)}}}));
        result.Next();
        SetAllSelected(result, true);
        EXPECT_EQ(result.RecNo(), 1);
        EXPECT_FALSE(result.ControlsDisabled());
        TField sel = result.FieldByName("SEL");
        for (result.First(); !result.Eof(); result.Next()) {
            EXPECT_TRUE(IsRowTicked(sel));
            if (!booleanKind) {
                EXPECT_EQ(sel.AsInteger(), 1);
            }
        }
        SetAllSelected(result, false);
        for (result.First(); !result.Eof(); result.Next())
            EXPECT_FALSE(IsRowTicked(sel));
    }
    // No result, or none loaded: nothing happens.
    TResultSet none;
    SetAllSelected(none, true);
    TResultSet empty;
    empty.LoadPacket(MakePacket({BooleanSel({})}));
    SetAllSelected(empty, true);
    EXPECT_FALSE(empty.ControlsDisabled());

    // An error stops the loop but leaves the result on its first row with updates on.
    TDataPacket packet = MakePacket({BooleanSel({false, false})});
    packet.Fields[0].ReadOnly = true;
    TResultSet locked;
    locked.LoadPacket(std::move(packet));
    locked.Next();
    EXPECT_THROW(SetAllSelected(locked, true), EDatabaseError);
    EXPECT_EQ(locked.RecNo(), 1);
    EXPECT_FALSE(locked.ControlsDisabled());
    EXPECT_EQ(locked.State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(locked.Fields(0).AsBoolean());
}
