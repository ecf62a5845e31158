// Keeps passwords of connection texts out of the messages the program shows.
#pragma once

#include <string>

// message with every password value of connectionText (OLE DB or ODBC, also inside
// Extended Properties, enclosed or not, and the pieces after an unenclosed one up to the next
// key) replaced by "***". Both texts are in the same encoding.
std::string MaskConnectionPasswords(std::string message, const std::string& connectionText);
