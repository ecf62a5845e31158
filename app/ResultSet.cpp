#include "app/ResultSet.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "app/WindowText.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/ValueText.h"

bool IsIntegerKind(TFieldType kind) {
    switch (kind) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
        return true;
    default:
        return false;
    }
}

bool IsTextKind(TFieldType kind) {
    switch (kind) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftGuid:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftOraClob:
    case TFieldType::ftVariant:
        return true;
    default:
        return false;
    }
}

// ---- TField ----

const TFieldDef& TField::Def() const {
    return FOwner->FPacket.Fields[FColumn];
}
const std::string& TField::FieldName() const {
    return Def().Name;
}
TFieldType TField::DataType() const {
    return Def().DataType;
}
TValueStorage TField::Storage() const {
    return Def().Storage;
}
const TColumnData& TField::Data() const {
    return FOwner->FPacket.Columns[FColumn];
}
TColumnData& TField::WritableData() const {
    return FOwner->FPacket.Columns[FColumn];
}
size_t TField::Row() const {
    return FHasFixedRow ? FFixedRow : FOwner->FRow;
}

int TField::Index() const {
    return FOwner->FPosition[FColumn];
}

void TField::SetIndex(int position) {
    std::vector<int>& order = FOwner->FOrder;
    int count = static_cast<int>(order.size());
    if (position < 0) position = 0;
    if (position >= count) position = count - 1;
    int current = Index();
    if (current == position) return;
    order.erase(order.begin() + current);
    order.insert(order.begin() + position, FColumn);
    for (int i = 0; i < count; ++i)
        FOwner->FPosition[order[i]] = i;
    FOwner->Notify(TResultSetChange::LayoutChanged);
}

const std::string& TField::DisplayLabel() const {
    const std::string& label = FOwner->FInfo[FColumn].DisplayLabel;
    return label.empty() ? FieldName() : label;
}

void TField::SetDisplayLabel(const std::string& label) {
    if (FOwner->FInfo[FColumn].DisplayLabel == label) return;
    FOwner->FInfo[FColumn].DisplayLabel = label;
    FOwner->Notify(TResultSetChange::LayoutChanged);
}

bool TField::ReadOnly() const {
    return FOwner->FInfo[FColumn].ReadOnly;
}
void TField::SetReadOnly(bool readOnly) {
    FOwner->FInfo[FColumn].ReadOnly = readOnly;
}

const TFieldGetTextEvent& TField::OnGetText() const {
    return FOwner->FInfo[FColumn].OnGetText;
}

void TField::SetOnGetText(TFieldGetTextEvent handler) {
    FOwner->FInfo[FColumn].OnGetText = std::move(handler);
    FOwner->Notify(TResultSetChange::LayoutChanged);
}

bool TField::IsNull() const {
    return FOwner->IsEmpty() || Data().IsNull(Row());
}

std::string TField::AsString() const {
    std::string text;
    if (!IsNull()) AppendValueText(Data(), Row(), DataType(), TDateTimeStyle::Blank, text);
    return text;
}

std::string TField::GetText(bool displayText) const {
    const TFieldGetTextEvent& hook = OnGetText();
    if (!hook) return AsString();
    std::string text;
    TField self = *this;
    hook(self, text, displayText);
    return text;
}

void TField::AccessError(const char* typeName) const {
    throw EDatabaseError(
        Format("Cannot access field '%s' as type %s", DisplayLabel().c_str(), typeName));
}

bool TField::AsBoolean() const {
    TFieldType kind = DataType();
    if (kind != TFieldType::ftBoolean && !IsTextKind(kind)) AccessError("Boolean");
    if (IsNull()) return false;
    const TColumnData& data = Data();
    switch (data.Storage()) {
    case TValueStorage::Boolean:
        return data.Boolean(Row());
    case TValueStorage::Int64:
    case TValueStorage::UInt64:
        return data.Int64(Row()) != 0;
    case TValueStorage::Bytes: {
        bool value;
        if (!ParseBoolean(data.Bytes(Row()), value))
            throw EConvertError(Format("'%s' is not a valid boolean value",
                                       std::string(data.Bytes(Row())).c_str()));
        return value;
    }
    default:
        AccessError("Boolean");
    }
}

int64_t TField::AsInteger() const {
    TFieldType kind = DataType();
    bool numeric = IsIntegerKind(kind) || kind == TFieldType::ftFloat ||
                   kind == TFieldType::ftCurrency || kind == TFieldType::ftBCD ||
                   kind == TFieldType::ftFMTBcd;
    if (!numeric && !IsTextKind(kind)) AccessError("Integer");
    if (IsNull()) return 0;
    const TColumnData& data = Data();
    size_t row = Row();
    auto outOfRange = [&]() -> int64_t {
        throw EConvertError(Format("'%s' is not a valid integer value", AsString().c_str()));
    };
    switch (data.Storage()) {
    case TValueStorage::Int64:
        return data.Int64(row);
    case TValueStorage::UInt64:
        if (data.UInt64(row) > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return outOfRange();
        return data.Int64(row);
    case TValueStorage::Double:
    case TValueStorage::Single: {
        double value =
            data.Storage() == TValueStorage::Double ? data.Double(row) : data.Single(row);
        value = std::round(value);
        if (!(value >= -9.2233720368547758e18 && value < 9.2233720368547758e18))
            return outOfRange();
        return static_cast<int64_t>(value);
    }
    case TValueStorage::Decimal:
    case TValueStorage::Bytes: {
        int64_t value;
        std::string_view text = data.Bytes(row);
        if (ParseInt64(text, value)) return value;
        // A decimal with a fraction rounds like a float does.
        double approximate;
        if (data.Storage() == TValueStorage::Decimal && ParseDouble(text, approximate) &&
            std::fabs(approximate) < 9.2e18)
            return static_cast<int64_t>(std::round(approximate));
        return outOfRange();
    }
    case TValueStorage::Boolean:
    case TValueStorage::DateTime:
        break;
    }
    AccessError("Integer");
}

std::string_view TField::AsBytes() const {
    if (IsNull()) return {};
    const TColumnData& data = Data();
    if (data.Storage() == TValueStorage::Bytes || data.Storage() == TValueStorage::Decimal ||
        (data.Storage() == TValueStorage::DateTime && data.HasDateTimeText(Row())))
        return data.Bytes(Row());
    throw EDatabaseError(Format("Field '%s' holds no bytes", DisplayLabel().c_str()));
}

void TField::SetAsBoolean(bool value) {
    if (DataType() != TFieldType::ftBoolean && !IsTextKind(DataType())) AccessError("Boolean");
    FOwner->CheckWritable(FColumn);
    TColumnData& data = WritableData();
    switch (data.Storage()) {
    case TValueStorage::Boolean:
        data.SetBoolean(Row(), value);
        break;
    case TValueStorage::Int64:
        data.SetInt64(Row(), value ? 1 : 0);
        break;
    case TValueStorage::UInt64:
        data.SetUInt64(Row(), value ? 1 : 0);
        break;
    case TValueStorage::Bytes:
        data.SetBytes(Row(), value ? "True" : "False");
        break;
    default:
        AccessError("Boolean");
    }
    FOwner->ValueChanged();
}

void TField::SetAsInteger(int64_t value) {
    TFieldType kind = DataType();
    bool numeric = IsIntegerKind(kind) || kind == TFieldType::ftFloat ||
                   kind == TFieldType::ftCurrency || kind == TFieldType::ftBCD ||
                   kind == TFieldType::ftFMTBcd;
    if (!numeric && !IsTextKind(kind)) AccessError("Integer");
    FOwner->CheckWritable(FColumn);
    TColumnData& data = WritableData();
    size_t row = Row();
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
    switch (data.Storage()) {
    case TValueStorage::Int64:
        data.SetInt64(row, value);
        break;
    case TValueStorage::UInt64:
        if (value < 0)
            throw EConvertError(
                Format("'%lld' is not a valid integer value", static_cast<long long>(value)));
        data.SetUInt64(row, static_cast<uint64_t>(value));
        break;
    case TValueStorage::Double:
        data.SetDouble(row, static_cast<double>(value));
        break;
    case TValueStorage::Single:
        data.SetSingle(row, static_cast<float>(value));
        break;
    case TValueStorage::Decimal:
    case TValueStorage::Bytes:
        data.SetBytes(row, digits);
        break;
    default:
        AccessError("Integer");
    }
    FOwner->ValueChanged();
}

void TField::SetAsBytes(std::string_view bytes) {
    TColumnData& data = WritableData();
    if (data.Storage() != TValueStorage::Bytes)
        throw EDatabaseError(Format("Field '%s' holds no bytes", DisplayLabel().c_str()));
    FOwner->CheckWritable(FColumn);
    data.SetBytes(Row(), bytes);
    FOwner->ValueChanged();
}

void TField::SetText(const std::string& text) {
    TColumnData& data = WritableData();
    TValueStorage storage = data.Storage();
    if (storage == TValueStorage::Bytes) {
        SetAsBytes(text);
        return;
    }
    FOwner->CheckWritable(FColumn);
    size_t row = Row();
    if (TrimLeft(text).empty()) {
        data.SetNull(row);
        FOwner->ValueChanged();
        return;
    }
    auto invalid = [&](const char* what) {
        throw EConvertError(Format("'%s' is not a valid %s", text.c_str(), what));
    };
    switch (storage) {
    case TValueStorage::Int64: {
        int64_t value;
        if (!ParseInt64(text, value)) invalid("integer value");
        data.SetInt64(row, value);
        break;
    }
    case TValueStorage::UInt64: {
        uint64_t value;
        if (!ParseUInt64(text, value)) invalid("integer value");
        data.SetUInt64(row, value);
        break;
    }
    case TValueStorage::Double: {
        double value;
        if (!ParseDouble(text, value)) invalid("floating point value");
        data.SetDouble(row, value);
        break;
    }
    case TValueStorage::Single: {
        float value;
        if (!ParseSingle(text, value)) invalid("floating point value");
        data.SetSingle(row, value);
        break;
    }
    case TValueStorage::Boolean: {
        bool value;
        if (!ParseBoolean(text, value)) invalid("boolean value");
        data.SetBoolean(row, value);
        break;
    }
    case TValueStorage::Decimal: {
        std::string canonical;
        if (!AppendDecimalText(Trim(text), canonical)) invalid("decimal value");
        data.SetBytes(row, canonical);
        break;
    }
    case TValueStorage::DateTime: {
        TDateTimeParts value;
        if (ParseDateTime(text, DataType(), value)) {
            data.SetDateTime(row, value);
            break;
        }
        // MySQL's zero dates ("0000-00-00", "0000-00-00 00:00:00") have no parts; keep the text.
        std::string trimmed = Trim(text);
        if (trimmed.rfind("0000-00-00", 0) == 0 &&
            trimmed.find_first_not_of("0-: ") == std::string::npos) {
            data.SetDateTimeText(row, trimmed);
            break;
        }
        invalid("date and time");
        break;
    }
    case TValueStorage::Bytes:
        break;
    }
    FOwner->ValueChanged();
}

void TField::Clear() {
    FOwner->CheckWritable(FColumn);
    WritableData().SetNull(Row());
    FOwner->ValueChanged();
}

// ---- TResultSet ----

void TResultSet::LoadPacket(TDataPacket packet) {
    // A packet that does not hold together leaves the previous result as it was.
    if (packet.Columns.size() != packet.Fields.size())
        throw EDatabaseError(CodePageText("结果中有缺少描述的列"));
    for (size_t i = 0; i < packet.Fields.size(); ++i)
        if (packet.Columns[i].RowCount() != packet.RowCount ||
            packet.Columns[i].Storage() != packet.Fields[i].Storage)
            throw EDatabaseError(Format("Column '%s' does not match the result's rows",
                                        packet.Fields[i].Name.c_str()));
    Close();
    // Columns without a kind are not part of the result.
    TDataPacket kept;
    kept.RowCount = packet.RowCount;
    for (size_t i = 0; i < packet.Fields.size(); ++i) {
        if (packet.Fields[i].DataType == TFieldType::ftUnknown) continue;
        if (static_cast<int>(i) == packet.SelectionColumn)
            kept.SelectionColumn = static_cast<int>(kept.Fields.size());
        kept.Fields.push_back(std::move(packet.Fields[i]));
        kept.Columns.push_back(std::move(packet.Columns[i]));
    }
    kept.ShrinkToFit();

    // Names unique ignoring case: "COLUMN%d" for an unnamed column, "%s_%d" for a repeat.
    // The selection column is named last, so that a user column called "sel" keeps its name.
    std::unordered_set<std::string> used;
    auto uniqueName = [&](size_t i) {
        std::string name = kept.Fields[i].Name;
        if (name.empty()) name = Format("COLUMN%zu", i + 1);
        if (used.count(LowerCase(name)) != 0) {
            for (int count = 1;; ++count) {
                std::string candidate = Format("%s_%d", name.c_str(), count);
                if (used.count(LowerCase(candidate)) == 0) {
                    name = candidate;
                    break;
                }
            }
        }
        used.insert(LowerCase(name));
        kept.Fields[i].Name = name;
    };
    for (size_t i = 0; i < kept.Fields.size(); ++i)
        if (static_cast<int>(i) != kept.SelectionColumn) uniqueName(i);
    if (kept.SelectionColumn >= 0) uniqueName(static_cast<size_t>(kept.SelectionColumn));

    FPacket = std::move(kept);
    size_t count = FPacket.Fields.size();
    FInfo.assign(count, TFieldInfo{});
    FOrder.resize(count);
    FPosition.resize(count);
    for (size_t i = 0; i < count; ++i) {
        FOrder[i] = static_cast<int>(i);
        FPosition[i] = static_cast<int>(i);
        FInfo[i].ReadOnly = FPacket.Fields[i].ReadOnly || FPacket.Fields[i].AutoIncrement;
    }
    FState = TDataSetState::dsBrowse;
    FRow = 0;
    FEof = FPacket.RowCount == 0;
    Notify(TResultSetChange::Opened);
}

void TResultSet::Close() {
    if (!Active()) return;
    Post();
    FPacket = TDataPacket{};
    FInfo.clear();
    FOrder.clear();
    FPosition.clear();
    FState = TDataSetState::dsInactive;
    FRow = 0;
    FEof = true;
    Notify(TResultSetChange::Closed);
}

void TResultSet::MoveTo(size_t row) {
    Post();
    bool moved = row != FRow;
    FRow = row;
    if (moved) Notify(TResultSetChange::Scrolled);
}

void TResultSet::SetRecNo(int recNo) {
    if (!Active() || IsEmpty()) return;
    if (recNo < 1) recNo = 1;
    if (recNo > RecordCount()) recNo = RecordCount();
    MoveTo(static_cast<size_t>(recNo - 1));
    FEof = false;
}

void TResultSet::First() {
    if (!Active()) return;
    MoveTo(0);
    FEof = IsEmpty();
}

void TResultSet::Next() {
    if (!Active()) return;
    if (FRow + 1 < FPacket.RowCount) {
        MoveTo(FRow + 1);
        FEof = false;
    } else {
        Post();
        FEof = true;
    }
}

void TResultSet::Edit() {
    if (!Active()) throw EDatabaseError(CodePageText("无法对已关闭的数据集执行此操作"));
    if (FReadOnly) throw EDatabaseError(CodePageText("无法修改只读数据集"));
    if (IsEmpty()) throw EDatabaseError(CodePageText("无法修改空数据集"));
    FState = TDataSetState::dsEdit;
}

void TResultSet::Post() {
    if (FState == TDataSetState::dsEdit) FState = TDataSetState::dsBrowse;
}

void TResultSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) Notify(TResultSetChange::Refresh);
}

void TResultSet::CheckWritable(int column) {
    if (FState != TDataSetState::dsEdit) throw EDatabaseError(CodePageText("数据集不在编辑状态"));
    if (FInfo[column].ReadOnly)
        throw EDatabaseError(
            Format("Field '%s' cannot be modified", TField(this, column).DisplayLabel().c_str()));
}

void TResultSet::ValueChanged() {
    Notify(TResultSetChange::RecordChanged);
}

void TResultSet::Notify(TResultSetChange change) {
    if (FDisableCount > 0 && change != TResultSetChange::Refresh) return;
    if (OnChange) OnChange(change);
}

TField TResultSet::Fields(int position) {
    if (position < 0 || position >= FieldCount())
        throw EDatabaseError(Format("Field index out of range (%d)", position));
    return TField(this, FOrder[position]);
}

TField TResultSet::CellField(int position, size_t row) {
    if (position < 0 || position >= FieldCount())
        throw EDatabaseError(Format("Field index out of range (%d)", position));
    return TField(this, FOrder[position], row);
}

std::optional<TField> TResultSet::SelectionField() {
    if (!Active() || FPacket.SelectionColumn < 0) return std::nullopt;
    return TField(this, FPacket.SelectionColumn);
}

bool TField::IsSelection() const {
    return FColumn == FOwner->FPacket.SelectionColumn;
}

std::optional<TField> TResultSet::FindField(std::string_view name) {
    for (size_t i = 0; i < FPacket.Fields.size(); ++i)
        if (SameText(FPacket.Fields[i].Name, name)) return TField(this, static_cast<int>(i));
    return std::nullopt;
}

TField TResultSet::FieldByName(std::string_view name) {
    std::optional<TField> field = FindField(name);
    if (!field) throw EDatabaseError(Format("Field '%s' not found", std::string(name).c_str()));
    return *field;
}
