#include "platform/ProfileFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace platform {

namespace {

enum class TFileState { Missing, Loaded, Unreadable };

TFileState LoadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? TFileState::Missing : TFileState::Unreadable;
    char buffer[65536];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return TFileState::Unreadable; // a folder lands here with EISDIR
        }
        bytes.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    return TFileState::Loaded;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start =
            end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The name of the section a "[name]" line starts.
std::optional<std::string> SectionNameOf(std::string_view line) {
    std::string trimmed = TrimLeft(line);
    if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
    size_t close = trimmed.rfind(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(trimmed).substr(1, close - 1));
}

struct TEntry {
    std::string Key;
    std::string Value; // as written, not yet trimmed
};

// Headers, comments and blank lines are no entries.
std::optional<TEntry> EntryOf(std::string_view line) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || SectionNameOf(line)) return std::nullopt;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return TEntry{trimmed, ""};
    return TEntry{Trim(line.substr(0, equals)), std::string(line.substr(equals + 1))};
}

std::string ValueForReading(std::string_view raw) {
    std::string value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > kProfileValueMax) value.resize(kProfileValueMax);
    return value;
}

// Lines Header+1 .. End-1 belong to the section whose "[name]" line is Header.
struct TSectionSpan {
    size_t Header;
    size_t End;
};

std::optional<TSectionSpan> FindSection(const std::vector<std::string>& lines,
                                        std::string_view section, size_t from = 0) {
    for (size_t header = from; header < lines.size(); ++header) {
        std::optional<std::string> name = SectionNameOf(lines[header]);
        if (!name || !ProfileSameText(*name, section)) continue;
        size_t end = header + 1;
        while (end < lines.size() && !SectionNameOf(lines[end]))
            ++end;
        return TSectionSpan{header, end};
    }
    return std::nullopt;
}

[[noreturn]] void FailWrite(const std::string& path) {
    throw EIniFileException(Format("Unable to write to %s", path.c_str()));
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

bool WriteAndClose(int fd, const std::string& bytes) {
    bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    return close(fd) == 0 && written;
}

void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// An existing file is replaced by a finished copy: the new bytes go to a temporary file
// in the same folder, reach the disk, and only then take the old file's name. A crash or
// a full disk therefore leaves either the old file or the new one, never half of the
// history. When the folder refuses new files but the file itself may be written (a
// read-only folder holding a writable settings file), the file is rewritten in place:
// the only way left, and it still refuses what the system refuses.
void StoreFile(const std::string& path, const std::string& bytes, bool existed) {
    if (!existed) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || !WriteAndClose(fd, bytes)) FailWrite(path);
        SyncFolderOf(path);
        return;
    }
    // Write through a symbolic link rather than replacing the link by a file.
    std::string target = path;
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        target = resolved;
        free(resolved);
    }
    struct stat status {};
    if (stat(target.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        access(target.c_str(), W_OK) != 0)
        FailWrite(path);

    std::string temporary = target + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) FailWrite(path);
        bool written = WriteAll(fd, bytes) &&
                       ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
        if (close(fd) != 0 || !written) FailWrite(path);
        return;
    }
    // The copy keeps the old file's permissions and, where allowed, its owner.
    fchmod(fd, status.st_mode & 07777);
    if (fchown(fd, status.st_uid, status.st_gid) != 0) {
        // Only the owner differs then (another user's file written by us); nothing is lost.
    }
    if (!WriteAndClose(fd, bytes) || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        FailWrite(path);
    }
    SyncFolderOf(target);
}

// Reads the file, lets edit change its lines and writes it back when its bytes changed.
template <typename Edit> void ChangeFile(const std::string& path, Edit edit) {
    std::string original;
    TFileState state = LoadFile(path, original);
    // Rewriting a file we could not read would throw its contents away.
    if (state == TFileState::Unreadable) FailWrite(path);
    std::vector<std::string> lines = SplitLines(original);
    edit(lines);
    std::string updated = JoinLines(lines);
    if (updated == original && (state == TFileState::Loaded || updated.empty())) return;
    StoreFile(path, updated, state == TFileState::Loaded);
}

std::vector<std::string> LoadLines(const std::string& path) {
    std::string bytes;
    if (LoadFile(path, bytes) != TFileState::Loaded) return {};
    return SplitLines(bytes);
}

} // namespace

bool ProfileSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    size_t pos = 0;
    while (pos < a.size()) {
        int length = CodePageCharLength(a, pos);
        if (length <= 1) {
            if (LowerCase(a.substr(pos, 1)) != LowerCase(b.substr(pos, 1))) return false;
            ++pos;
        } else {
            if (a.substr(pos, size_t(length)) != b.substr(pos, size_t(length))) return false;
            pos += size_t(length);
        }
    }
    return true;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, const std::string& defaultValue) {
    std::vector<std::string> lines = LoadLines(path);
    std::optional<TSectionSpan> span = FindSection(lines, section);
    if (!span) return defaultValue;
    for (size_t i = span->Header + 1; i < span->End; ++i) {
        std::optional<TEntry> entry = EntryOf(lines[i]);
        if (entry && ProfileSameText(entry->Key, key)) return ValueForReading(entry->Value);
    }
    return defaultValue;
}

std::vector<std::string> ReadProfileSection(const std::string& path, std::string_view section) {
    std::vector<std::string> lines = LoadLines(path);
    std::vector<std::string> entries;
    std::optional<TSectionSpan> span = FindSection(lines, section);
    if (!span) return entries;
    for (size_t i = span->Header + 1; i < span->End; ++i) {
        if (std::optional<TEntry> entry = EntryOf(lines[i]))
            entries.push_back(entry->Key + "=" + ValueForReading(entry->Value));
    }
    return entries;
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    ChangeFile(path, [&](std::vector<std::string>& lines) {
        std::optional<TSectionSpan> span = FindSection(lines, section);
        if (!span) {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(std::string(key) + "=" + std::string(value));
            return;
        }
        size_t insertAt = span->Header + 1;
        for (size_t i = span->Header + 1; i < span->End; ++i) {
            std::optional<TEntry> entry = EntryOf(lines[i]);
            if (!entry) continue;
            if (ProfileSameText(entry->Key, key)) {
                lines[i] = entry->Key + "=" + std::string(value);
                return;
            }
            insertAt = i + 1;
        }
        // After the last entry: comments and blank lines that follow it usually belong
        // to the next section.
        lines.insert(lines.begin() + std::ptrdiff_t(insertAt),
                     std::string(key) + "=" + std::string(value));
    });
}

void EraseProfileSection(const std::string& path, std::string_view section) {
    ChangeFile(path, [&](std::vector<std::string>& lines) {
        size_t from = 0;
        while (std::optional<TSectionSpan> span = FindSection(lines, section, from)) {
            lines.erase(lines.begin() + std::ptrdiff_t(span->Header),
                        lines.begin() + std::ptrdiff_t(span->End));
            from = span->Header;
        }
    });
}

void DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key) {
    ChangeFile(path, [&](std::vector<std::string>& lines) {
        std::optional<TSectionSpan> span = FindSection(lines, section);
        if (!span) return;
        for (size_t i = span->End; i-- > span->Header + 1;) {
            std::optional<TEntry> entry = EntryOf(lines[i]);
            if (entry && ProfileSameText(entry->Key, key))
                lines.erase(lines.begin() + std::ptrdiff_t(i));
        }
    });
}

} // namespace platform
