// The per-row tick: the SEL column that every query adds, read and set whatever its kind.
#pragma once

#include <string>

#include "app/ResultSet.h"

// The name the rewrite gives the tick column it adds to every query. The program finds the
// column by where the rewrite put it (TResultSet::SelectionField), never by this name.
inline constexpr const char* kSelectionField = "SEL";

// The result's tick column; fails with "Field 'SEL' not found" when it has none.
TField SelField(TResultSet& resultSet);

// The row is ticked for the export: a boolean SEL column holds true, any other holds exactly 1.
bool IsRowTicked(const TField& selField);

// Ticks (true) or unticks every row: the SEL column gets true/false when it is boolean and
// 1/0 otherwise, whichever database kind is selected. Leaves the result on its first row with
// display updates back on, also when an error stops the loop. A result without rows (or none
// loaded) is left alone.
void SetAllSelected(TResultSet& resultSet, bool ticked);

// Display text of an integer SEL column: " √" (code page bytes) when the value is not 0,
// empty for 0, null, or a boolean column (the grid draws a check box for that).
void SelGetText(TField& field, std::string& text, bool displayText);
