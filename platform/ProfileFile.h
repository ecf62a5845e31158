// Profile (INI) files: sections of key=value lines, read and written one call at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Every call works on the file as it is on disk: a read opens and parses the file, a
// write reads it, changes it and writes it back before returning; nothing is cached.
//
// The file format:
// - "[name]" starts a section; "key=value" is an entry of the section above it. Blanks
//   around names and values do not count.
// - Section and key names match ignoring the case of the letters A to Z. The bytes of a
//   double-byte character never fold, so two different Chinese names stay different.
// - Lines starting with ";", blank lines and lines before the first section are nobody's
//   entries; every write keeps them where they are, byte for byte.
// - A line in a section without "=" is a key with an empty value.
// - When a section or key occurs twice, the first one is read and written.
// - Lines may end in LF, CR LF or CR; a written file has CR LF after every line.
// - Bytes are the program's code page; nothing is converted.
//
// A write the system refuses (missing or read-only folder, read-only file, the path is a
// folder) raises EIniFileException "Unable to write to <path>". Reads never fail: a file
// that is missing or cannot be read gives the defaults.

// Longest value a read returns, in bytes; longer values are cut.
constexpr size_t kProfileValueMax = 2047;

// The value of key in section, blanks trimmed and one pair of matching surrounding quotes
// (" or ') removed; defaultValue when the file, section or key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, const std::string& defaultValue);

// The entries of section in file order, each as "key=value" with the value read as
// ReadProfileString reads it. Empty when the file or section is missing.
std::vector<std::string> ReadProfileSection(const std::string& path, std::string_view section);

// Sets key in section to value. An existing entry is replaced where it stands; a new key
// goes after the last entry of its section; a new section goes at the end of the file;
// a missing file is created. value must be one line.
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Removes every section called section with all its lines (comments included).
void EraseProfileSection(const std::string& path, std::string_view section);

// Removes key (every occurrence) from section.
void DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);

// The comparison used for names: equal when only the case of single-byte letters differs.
bool ProfileSameText(std::string_view a, std::string_view b);

} // namespace platform
