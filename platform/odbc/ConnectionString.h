// Turns a connection text (OLE DB, as old histories hold them, or ODBC) into an ODBC one.
#pragma once

#include <string>
#include <vector>

namespace platform::odbc {

// text and the result are UTF-8. Plain ODBC texts come back unchanged unless they name a
// driver that is not installed but has a stand-in here (a MySQL driver -> MariaDB Unicode)
// or name a SQLite driver: those get NoCreat=1 unless the text sets NoCreat itself.
// OLE DB texts (with a Provider key) get ODBC keys and an installed driver. A key or
// provider that cannot work here raises EDatabaseError naming it.
std::string TranslateConnectionString(const std::string& text,
                                      const std::vector<std::string>& installedDrivers);

// The value of key in an ODBC connection text (keys compared ignoring case), or "".
std::string OdbcConnectionValue(const std::string& odbcText, const std::string& key);

} // namespace platform::odbc
