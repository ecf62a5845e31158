#include "upgrade/Utils.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "base/Format.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Network.h"
#include "platform/Process.h"

namespace {

// 1970-01-01 counted from 1899-12-30.
constexpr int64_t UnixEpochDays = 25569;
constexpr int64_t SecondsPerDay = 86400;

// Removes from text the part up to the first separator, the separator and the blanks after
// it, and returns that part; without a separator the whole text is taken.
std::string Take(std::string& text, char separator) {
    size_t at = text.find(separator);
    std::string taken = text.substr(0, at);
    text = at == std::string::npos ? "" : TrimLeft(std::string_view(text).substr(at + 1));
    return taken;
}

// Plain decimal digits only; more than nine would not fit any field of a date anyway.
std::optional<int> Number(std::string_view text) {
    std::optional<int64_t> value = PlainDecimal(text, 9);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

// 1 to 12; 0 when the text is not a month's three-letter name.
int MonthNumber(std::string_view text) {
    static constexpr std::array<std::string_view, 12> Months = {
        "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    auto found = std::find(Months.begin(), Months.end(), UpperCase(text));
    return found == Months.end() ? 0 : static_cast<int>(found - Months.begin()) + 1;
}

bool StartsWithWeekday(std::string_view text) {
    static constexpr std::array<std::string_view, 7> Weekdays = {"SUN", "MON", "TUE", "WED",
                                                                 "THU", "FRI", "SAT"};
    return text.size() >= 3 && std::find(Weekdays.begin(), Weekdays.end(),
                                         UpperCase(text.substr(0, 3))) != Weekdays.end();
}

// A numeric zone "+hhmm" or "-hhmm" in seconds east of UTC; anything else, GMT included, is UTC.
int ZoneOffsetSeconds(std::string_view zone) {
    if (zone.size() <= 4 || (zone[0] != '+' && zone[0] != '-')) return 0;
    std::optional<int> hours = Number(zone.substr(1, 2));
    std::optional<int> minutes = Number(zone.substr(3, 2));
    if (!hours || !minutes) return 0;
    int offset = *hours * 3600 + *minutes * 60;
    return zone[0] == '-' ? -offset : offset;
}

} // namespace

bool IsOnlineWithAddresses(const std::vector<std::string>& addresses) {
    return !addresses.empty() && addresses.back() != "127.0.0.1";
}

bool IsOnline() {
    return IsOnlineWithAddresses(platform::LocalHostAddresses());
}

TDateTime HttpDateToLocal(const std::string& text) {
    std::string rest = Trim(text);
    if (rest.empty()) return 0;
    if (StartsWithWeekday(rest)) Take(rest, ' ');

    // RFC 850 writes "06-Nov-94": a "-" inside the first word.
    size_t firstBlank = rest.find(' ');
    size_t dash = rest.find('-', 1);
    char separator = dash != std::string::npos && dash < firstBlank ? '-' : ' ';

    // asctime puts the month first: "Nov  6 08:49:37 1994".
    std::string dayText = Take(rest, separator);
    std::string monthText;
    if (MonthNumber(dayText) != 0) {
        monthText = std::move(dayText);
        dayText = Take(rest, separator);
    } else {
        monthText = Take(rest, separator);
    }
    int day = Number(dayText).value_or(1);
    int month = MonthNumber(monthText);

    // asctime again: the time comes before the year, which ends the text.
    std::string yearText = Take(rest, ' ');
    std::string timeText;
    if (!Number(yearText)) {
        timeText = std::move(yearText);
        yearText = std::exchange(rest, "");
    } else if (rest.find(':') != std::string::npos) {
        timeText = Take(rest, ' ');
    }
    std::optional<int> year = Number(yearText);
    if (!year || *year > 9999) return 0;
    if (*year < 80)
        *year += 2000;
    else if (*year < 100)
        *year += 1900;

    using namespace std::chrono;
    year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(month)),
                        std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) return 0;

    int hour = 0, minute = 0, second = 0;
    if (!timeText.empty()) {
        hour = Number(Take(timeText, ':')).value_or(0);
        minute = Number(Take(timeText, ':')).value_or(0);
        second = Number(Take(timeText, ':')).value_or(0);
    }
    if (hour > 23 || minute > 59 || second > 59) return 0;

    int64_t utc = static_cast<int64_t>(sys_days(date).time_since_epoch().count()) * SecondsPerDay +
                  hour * 3600 + minute * 60 + second - ZoneOffsetSeconds(rest);
    // The offset of that instant, not today's: a summer date read in winter keeps its hour.
    int64_t local = utc + platform::UtcOffsetSeconds(utc);
    // Whole days plus the time of day, as a date and a time add up; before 1970 both are negative.
    return static_cast<double>(local / SecondsPerDay + UnixEpochDays) +
           static_cast<double>(local % SecondsPerDay) / SecondsPerDay;
}

std::string UrlFileName(const std::string& url) {
    // "/" counts as "\", so the last of either ends the folder part; ":" ends a drive or host.
    size_t last = url.find_last_of("/\\:");
    return last == std::string::npos ? url : url.substr(last + 1);
}

bool OpenUrl(const std::string& url) {
    std::string full = url.find("://") == std::string::npos ? "http://" + url : url;
    return platform::StartProgram(platform::BrowserProgram(), {full});
}

std::string TempFolder() {
    std::string folder = platform::TemporaryDirectory();
    return folder.empty() ? platform::ExecutableDirectory() : folder;
}

int64_t LocalDateTimeToUnix(TDateTime value) {
    auto local = static_cast<int64_t>(std::floor((value - UnixEpochDays) * SecondsPerDay + 0.5));
    // The offset of the instant itself; a first guess from the local reading is off by an hour
    // only around a change of the clocks.
    int64_t utc = local - platform::UtcOffsetSeconds(local);
    return local - platform::UtcOffsetSeconds(utc);
}

TDateTime NowLocal() {
    int64_t utc = std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    int64_t local = utc + platform::UtcOffsetSeconds(utc);
    return static_cast<double>(local / SecondsPerDay + UnixEpochDays) +
           static_cast<double>(local % SecondsPerDay) / SecondsPerDay;
}

std::string DateText(TDateTime value) {
    using namespace std::chrono;
    sys_days day{days{static_cast<int64_t>(std::floor(value)) - UnixEpochDays}};
    year_month_day date{day};
    return Format("%02u/%02u/%04d", static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(date.year()));
}
