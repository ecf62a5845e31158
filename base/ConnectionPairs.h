// Connection texts as key/value pairs: the one reading that the connection and the connection
// dialog share, so that a history entry means the same to both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// OLE DB: values may be quoted with " or ' (the quote doubled inside), "==" in a key is a
// literal '='. ODBC: values may be enclosed in braces ("}}" inside is '}'). Both: pairs split
// at ';', blanks around keys and values dropped.
enum class TConnectionSyntax { OleDb, Odbc };

struct TConnectionPair {
    std::string Key; // as written, trimmed
    std::string Value;
};
using TConnectionPairs = std::vector<TConnectionPair>;

struct TConnectionText {
    TConnectionSyntax Syntax = TConnectionSyntax::Odbc;
    TConnectionPairs Pairs; // up to the first error
    // Why the text cannot be read, naming the key; never holds a password. "" when it can.
    // Text after a closing quote or brace is an error: a driver would drop or misread it.
    std::string Error;
};

// A text is OLE DB when it has a Provider key; otherwise ODBC.
TConnectionText ReadConnectionText(std::string_view text);
TConnectionText ReadConnectionText(std::string_view text, TConnectionSyntax syntax);

// Key as compared: lower case, inner blanks folded to one.
std::string NormalConnectionKey(std::string_view key);

// The last value of key (compared as NormalConnectionKey), or "".
std::string ConnectionValue(const TConnectionPairs& pairs, std::string_view key);

// The password key whose value may run on past pair: its own key, or a password key that
// ends a nested text ("Extended Properties=\"DSN=d;PWD=\"...": a quote in the password
// closed the outer value). "" when there is none.
std::string OpenPasswordKey(const TConnectionPair& pair);

// ODBC syntax; a value with ';', '=', braces or outer blanks is enclosed in braces.
std::string ConnectionValueText(std::string_view value);
std::string ComposeConnectionText(const TConnectionPairs& pairs);
