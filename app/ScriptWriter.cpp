#include "app/ScriptWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "base/Exception.h"
#include "base/Format.h"

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

TScriptFileWriter::TScriptFileWriter(int fd, std::string name) : FFd(fd), FName(std::move(name)) {
    FBuffer.reserve(kBufferSize);
}

TScriptFileWriter::TScriptFileWriter(const std::string& path) : FOwnsFd(true), FName(path) {
    FFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FFd < 0)
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", path.c_str(), std::strerror(errno)));
    FBuffer.reserve(kBufferSize);
}

TScriptFileWriter::~TScriptFileWriter() {
    try {
        Close();
    } catch (...) {
        // Destructors do not throw; callers that care call Close themselves.
    }
}

void TScriptFileWriter::Unsupported(const char* operation) const {
    throw Exception(
        Format("%s is not supported while a script is written to %s", operation, FName.c_str()));
}

std::string TScriptFileWriter::Get(int) const {
    Unsupported("Reading a line");
}
void TScriptFileWriter::Put(int, const std::string&) {
    Unsupported("Changing a line");
}
void TScriptFileWriter::Insert(int, const std::string&) {
    Unsupported("Inserting a line");
}
void TScriptFileWriter::Delete(int) {
    Unsupported("Deleting a line");
}

void TScriptFileWriter::Clear() {
    if (FLineCount > 0) Unsupported("Clearing written lines");
}

int TScriptFileWriter::Add(const std::string& line) {
    if (FClosed) throw EWriteError(Format("Cannot write to %s: it is closed", FName.c_str()));
    if (FLineCount > 0) FBuffer += "\r\n";
    if (FBuffer.size() + line.size() > kBufferSize) {
        Flush();
        if (line.size() >= kBufferSize) {
            WriteAll(line.data(), line.size());
            return FLineCount++;
        }
    }
    FBuffer += line;
    return FLineCount++;
}

void TScriptFileWriter::WriteAll(const char* data, size_t size) {
    while (size > 0) {
        ssize_t done = ::write(FFd, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            throw EWriteError(
                Format("Cannot write to %s: %s", FName.c_str(), std::strerror(errno)));
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
}

void TScriptFileWriter::Flush() {
    if (FBuffer.empty()) return;
    // The buffer is emptied first: after a failure the same bytes are not written twice.
    std::string pending;
    pending.swap(FBuffer);
    FBuffer.reserve(kBufferSize);
    WriteAll(pending.data(), pending.size());
}

void TScriptFileWriter::Close() {
    if (FClosed) return;
    FClosed = true;
    try {
        Flush();
    } catch (...) {
        if (FOwnsFd) ::close(FFd);
        throw;
    }
    if (!FOwnsFd) return;
    // A regular file may accept the bytes into the cache and fail when they reach the disk.
    if (::fsync(FFd) != 0 && errno != EINVAL && errno != EROFS) {
        int error = errno;
        ::close(FFd);
        throw EWriteError(Format("Cannot write to %s: %s", FName.c_str(), std::strerror(error)));
    }
    if (::close(FFd) != 0)
        throw EWriteError(Format("Cannot write to %s: %s", FName.c_str(), std::strerror(errno)));
}
