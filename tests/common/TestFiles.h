// Test helpers: a temporary folder removed at the end of the test, and whole-file byte I/O.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/DataPacket.h"

namespace testing_support {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "quorvel") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The names in folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline TDateTimeParts Parts(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0, uint32_t nanoseconds = 0, bool negative = false) {
    TDateTimeParts parts;
    parts.Year = static_cast<int16_t>(year);
    parts.Month = static_cast<uint8_t>(month);
    parts.Day = static_cast<uint8_t>(day);
    parts.Hour = static_cast<uint16_t>(hour);
    parts.Minute = static_cast<uint8_t>(minute);
    parts.Second = static_cast<uint8_t>(second);
    parts.Nanoseconds = nanoseconds;
    parts.Negative = negative;
    return parts;
}

} // namespace testing_support
