// The text of a cell value, in one place: numbers, decimals, dates; and the reverse parsing
// that edits in the grid use. Every writer appends to a caller's string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/DataPacket.h"

// How a date-time is laid out.
//   Blank: "yyyy-mm-dd hh:nn:ss", and only the date when the value is exactly midnight
//          (MySQL reads it, and it is what the grid shows).
//   IsoT:  always "yyyy-mm-ddThh:nn:ss" (SQL Server reads it the same under every
//          DATEFORMAT and language).
// Non-zero fractional seconds follow as ".d..." with trailing zeros dropped: at most 7 digits
// for values the databases produce (100 ns steps), up to 9 when the value holds finer
// nanoseconds, so that nothing held is dropped.
enum class TDateTimeStyle { Blank, IsoT };

// Shortest text that reads back as the same double: plain form, or exponent form ("1E20",
// "1.5E-7", "-2.5E15") when it needs more than 15 integer digits or its magnitude is below
// 0.00001. The separator is always ".". Zero is "0" (also negative zero); NaN and infinities
// give "NAN", "INF", "-INF".
void AppendFloatText(double value, std::string& out);
// The same for a single-precision value: the shortest text that reads back as the same float.
void AppendSingleText(float value, std::string& out);

// Appends the exact decimal of text ("-12.50", "+.5", "007") in canonical form: no plus sign,
// no leading zeros, "0" before a bare point, trailing fractional zeros and a bare point
// dropped, "-0" as "0". Returns false (appending nothing) when text is no plain decimal
// number (digits with at most one point, an optional sign; no exponent, no blanks).
bool AppendDecimalText(std::string_view text, std::string& out);

// The date, time or date-time text of parts for the column kind (ftDate: date only;
// ftTime: "[-]hh:nn:ss" with hours beyond 24 kept; others: date and time by style).
void AppendDateTimeText(const TDateTimeParts& parts, TFieldType kind, TDateTimeStyle style,
                        std::string& out);

// The value's text of a cell that is not null, as the grid shows it and the script quotes it:
// integers in decimal digits, floats and decimals as above, booleans "True"/"False", dates by
// style (a server text as it is), text and bytes as they are.
void AppendValueText(const TColumnData& column, size_t row, TFieldType kind, TDateTimeStyle style,
                     std::string& out);

// Parsing of typed text. Each returns false when text is not a valid value of its type.
bool ParseInt64(std::string_view text, int64_t& value);
bool ParseUInt64(std::string_view text, uint64_t& value);
bool ParseDouble(std::string_view text, double& value);
bool ParseSingle(std::string_view text, float& value);
// "True"/"False", "1"/"0", "Yes"/"No", any letter case.
bool ParseBoolean(std::string_view text, bool& value);
// "yyyy-mm-dd", "hh:nn:ss[.f...]" with hours beyond 24 and a leading "-", or both joined by
// a blank or "T". Which forms are accepted depends on kind (a date needs no time part).
bool ParseDateTime(std::string_view text, TFieldType kind, TDateTimeParts& value);
