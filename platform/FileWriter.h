// Writing a file whole or not at all: the one writer of the window's save and the command line.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class TFileWriter {
public:
    // Writes the file at path (a file-system name, UTF-8). A regular file, a name not there yet
    // or a symbolic link to either is written to a temporary file beside the (link's final)
    // target, and only Commit puts it in place: an existing file keeps its permission bits, a
    // new one gets the umask's, a link stays a link. Anything else (a device, a pipe) is
    // written directly. Raises EFCreateError "Cannot create file "%s". %s".
    explicit TFileWriter(const std::string& path);
    // Writes to standard output, which stays open. Raises EWriteError when descriptor 1 was
    // closed when the program started (see OccupyClosedStandardDescriptors).
    static std::unique_ptr<TFileWriter> StandardOutput();
    // Without Commit the temporary file is removed and the target stays as it was.
    ~TFileWriter();
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    // Raises EWriteError "Error writing to file "%s". %s"; the temporary file is then gone.
    void Write(std::string_view bytes);
    // Flushes to the disk and puts the file in place; EWriteError on failure, or after a failed
    // write or Abandon (the target then stays as it was, when it is replaced).
    void Commit();
    // Drops what was written, when the target is replaced; a direct write cannot be undone.
    void Abandon();

    // The name in messages: code-page text.
    const std::string& ShownName() const { return FShownName; }

private:
    TFileWriter(int fd, std::string shownName);
    [[noreturn]] void Fail(int error);
    [[noreturn]] void ThrowClosed() const;

    int FFd = -1;
    bool FOwnsFd = false;
    bool FDone = false; // committed or abandoned
    bool FCommitted = false;
    std::string FTemporary; // empty: written directly
    std::string FTarget;
    std::string FShownName;
};

// For the command line: SIGINT and SIGTERM remove the temporary file of the writer in
// progress and end the program with 130 or 143.
void RemovePendingFileOnInterrupt();

// At program start: opens /dev/null on descriptors 0, 1 and 2 that are not open, so that no
// file or socket opened later lands there and takes output meant for the terminal.
void OccupyClosedStandardDescriptors();

} // namespace platform
