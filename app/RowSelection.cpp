#include "app/RowSelection.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

TField SelField(TResultSet& resultSet) {
    std::optional<TField> field = resultSet.SelectionField();
    if (!field) throw EDatabaseError(Format("Field '%s' not found", kSelectionField));
    return *field;
}

bool IsRowTicked(const TField& selField) {
    if (selField.IsNull()) return false;
    if (selField.DataType() == TFieldType::ftBoolean) return selField.AsBoolean();
    return selField.AsInteger() == 1;
}

void SetAllSelected(TResultSet& resultSet, bool ticked) {
    if (!resultSet.Active() || resultSet.IsEmpty()) return;
    TField sel = SelField(resultSet);
    bool boolean = sel.DataType() == TFieldType::ftBoolean;
    resultSet.First();
    resultSet.DisableControls();
    // Display updates come back on however the loop ends.
    struct ControlsGuard {
        TResultSet& ResultSet;
        ~ControlsGuard() { ResultSet.EnableControls(); }
    } guard{resultSet};
    try {
        while (!resultSet.Eof()) {
            resultSet.Edit();
            if (boolean)
                sel.SetAsBoolean(ticked);
            else
                sel.SetAsInteger(ticked ? 1 : 0);
            resultSet.Post();
            resultSet.Next();
        }
    } catch (...) {
        resultSet.First();
        throw;
    }
    resultSet.First();
}

void SelGetText(TField& field, std::string& text, bool /*displayText*/) {
    text.clear();
    if (field.DataType() == TFieldType::ftBoolean || field.IsNull()) return;
    if (field.AsInteger() != 0) {
        static const std::string tick =
            platform::Utf8ToCodePage(" √", platform::TConversion::Strict);
        text = tick;
    }
}
