// TResultSet, the in-memory result the grid shows and the script is made from, and TField,
// a light view of one of its columns at the current row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/DataPacket.h"

class TResultSet;
class TField;

// Kinds whose values are whole numbers of any size.
bool IsIntegerKind(TFieldType kind);
// Kinds whose values are text: they read as booleans and integers by parsing.
bool IsTextKind(TFieldType kind);

// The display-text hook of a column: fills text for the current row; displayText is true when
// the grid shows the value, false when it is about to be edited.
using TFieldGetTextEvent = std::function<void(TField& sender, std::string& text, bool displayText)>;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit };

// What an observer (the grid) is told. Nothing is sent while the display updates are off;
// switching them on again sends Refresh.
enum class TResultSetChange {
    Opened, // a packet was loaded: columns and rows are new
    Closed,
    Scrolled,      // the current row moved
    RecordChanged, // a value of the current row changed
    LayoutChanged, // a column moved or got another label or hook
    Refresh        // display updates came back on: show everything again
};

// A column of a result set, at its current row. Copy it freely: it holds only the result set
// and the column; values live in the result set's packet. Valid while the result set keeps
// the packet it was taken from.
class TField {
public:
    TField(TResultSet* owner, int column) : FOwner(owner), FColumn(column) {}
    // A view that stays on one row, whatever the current row: the grid reads its cells so.
    TField(TResultSet* owner, int column, size_t row)
        : FOwner(owner), FColumn(column), FFixedRow(row), FHasFixedRow(true) {}

    const std::string& FieldName() const;
    TFieldType DataType() const;
    TValueStorage Storage() const;
    const TFieldDef& Def() const;

    // Position among the result's columns; setting it moves the column there.
    int Index() const;
    void SetIndex(int position);
    // The label of the column, its name when none was set.
    const std::string& DisplayLabel() const;
    void SetDisplayLabel(const std::string& label);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    const TFieldGetTextEvent& OnGetText() const;
    void SetOnGetText(TFieldGetTextEvent handler);

    // Values of the current row. A result without rows reads as null.
    bool IsNull() const;
    // The value's text (empty for null), without the display-text hook.
    std::string AsString() const;
    // The text through the display-text hook when one is set, else AsString.
    std::string Text() const { return GetText(false); }
    std::string DisplayText() const { return GetText(true); }
    // A boolean column's value; text columns read "True"/"False"/"1"/"0"... Other columns fail
    // with "Cannot access field '%s' as type Boolean". Null reads as false.
    bool AsBoolean() const;
    // Integer, float, decimal and text columns (a text must be an integer). A boolean, date or
    // binary column fails with "Cannot access field '%s' as type Integer". Null reads as 0.
    int64_t AsInteger() const;
    // The bytes of a text, binary or large-object cell (empty for null).
    std::string_view AsBytes() const;

    // Edits of the current row; the result set must be in edit state (Edit) and the column
    // writable. Only the in-memory result changes.
    void SetAsBoolean(bool value);
    void SetAsInteger(int64_t value);
    void SetAsBytes(std::string_view bytes);
    // Parses text for the column's storage; an empty text makes a non-text value null.
    // Invalid text fails with EConvertError ("'%s' is not a valid integer value", ...).
    void SetText(const std::string& text);
    void Clear(); // sets null

    // Direct access for rendering: the column's cells and the current row.
    const TColumnData& Data() const;
    size_t Row() const;
    int Column() const { return FColumn; }
    TResultSet* Owner() const { return FOwner; }
    // The column the program added for the per-row tick.
    bool IsSelection() const;

private:
    std::string GetText(bool displayText) const;
    [[noreturn]] void AccessError(const char* typeName) const;
    TColumnData& WritableData() const;

    TResultSet* FOwner;
    int FColumn; // index in the packet (stable while columns move)
    size_t FFixedRow = 0;
    bool FHasFixedRow = false;
};

class TResultSet {
public:
    TResultSet() = default;
    TResultSet(const TResultSet&) = delete;
    TResultSet& operator=(const TResultSet&) = delete;

    // Replaces the result by packet: unnamed columns become "COLUMN%d" (1-based position),
    // repeated names (ignoring case) get "%s_%d" with the smallest free count from 1; the
    // selection column is named after all others, so it never renames a user column. Columns
    // without a kind (ftUnknown) are left out. Columns the provider reports as not updatable
    // and auto-increment ones are read-only. Goes to the first row, in browse state.
    void LoadPacket(TDataPacket packet);
    // Posts a pending edit and drops the result.
    void Close();
    bool Active() const { return FState != TDataSetState::dsInactive; }
    TDataSetState State() const { return FState; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }

    // Rows. RecNo is 1-based, 0 when there is no row.
    int RecordCount() const { return static_cast<int>(FPacket.RowCount); }
    bool IsEmpty() const { return FPacket.RowCount == 0; }
    int RecNo() const { return IsEmpty() ? 0 : static_cast<int>(FRow) + 1; }
    // Goes to row recNo (1-based), clipped to the rows there are.
    void SetRecNo(int recNo);
    void First();
    void Next();
    bool Eof() const { return FEof; }
    // Edit state for the current row; values set then are posted by Post or by moving.
    void Edit();
    void Post();

    // Display updates: a nesting counter; the grid follows no row moves while it is above 0.
    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Columns by position (0-based, in display order) and by name (ignoring case).
    int FieldCount() const { return static_cast<int>(FOrder.size()); }
    TField Fields(int position);
    TField FieldByIndex(int position) { return Fields(position); }
    // The column at position, read at row (0-based) without moving the current row.
    TField CellField(int position, size_t row);
    std::optional<TField> FindField(std::string_view name);
    // Fails with "Field '%s' not found" (EDatabaseError).
    TField FieldByName(std::string_view name);
    // The tick column the packet marks (TDataPacket::SelectionColumn); nullopt when none.
    std::optional<TField> SelectionField();

    const TDataPacket& Packet() const { return FPacket; }
    size_t CurrentRow() const { return FRow; }

    std::function<void(TResultSetChange)> OnChange;

private:
    friend class TField;
    struct TFieldInfo {
        std::string DisplayLabel; // empty: the name
        bool ReadOnly = false;
        TFieldGetTextEvent OnGetText;
    };

    void Notify(TResultSetChange change);
    void MoveTo(size_t row);
    void CheckWritable(int column);
    void ValueChanged();

    TDataPacket FPacket;
    std::vector<TFieldInfo> FInfo; // per packet column
    std::vector<int> FOrder;       // position -> packet column
    std::vector<int> FPosition;    // packet column -> position
    TDataSetState FState = TDataSetState::dsInactive;
    bool FReadOnly = false;
    size_t FRow = 0;
    bool FEof = true;
    int FDisableCount = 0;
};
