// The updater's helpers: online test, HTTP dates, URL file names, opening a URL, temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Days since 30 December 1899, 00:00, local time; the fraction is the time of day. 0 means none.
using TDateTime = double;

// Online when the local host name resolves and its last address is not 127.0.0.1.
bool IsOnline();
// The decision of IsOnline over the host's address list in dotted form, in resolver order.
bool IsOnlineWithAddresses(const std::vector<std::string>& addresses);

// An HTTP date (RFC 1123, RFC 850 or asctime form, with an optional numeric zone) in local
// time, with the offset in effect at that instant; 0 for an empty or unreadable text, an
// impossible date or a time outside 00:00:00 to 23:59:59.
TDateTime HttpDateToLocal(const std::string& text);

// The text after the last "/", "\" or ":"; the whole text when there is none.
std::string UrlFileName(const std::string& url);

// Opens the URL ("http://" put in front when it has no "://") in the user's web browser:
// $BROWSER when set and not empty, else xdg-open; the URL is its one argument, never seen by a
// shell. False when the program could not be started.
bool OpenUrl(const std::string& url);

// A local date-time as seconds since 1970 (UTC), with the offset in effect at that instant.
int64_t LocalDateTimeToUnix(TDateTime value);
TDateTime NowLocal();
// month/day/year with two-digit month and day and four-digit year, as "04/18/2010".
std::string DateText(TDateTime value);

// $TMPDIR when it names an existing folder, else /tmp, else the executable's folder; with a
// trailing "/" (empty only when none of them can be found).
std::string TempFolder();
