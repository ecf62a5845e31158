// TScriptFileWriter: a line sink that writes a script to a file or standard output.
#pragma once

#include <string>

#include "base/Strings.h"

// Writes each added line to a file descriptor, lines joined by CR LF with no break after the
// last, exactly the bytes the script view would save. Only Clear (before the first line) and
// Add are supported; the list operations that read or change earlier lines throw.
// A failed write or close throws EWriteError with the system's reason: a script is never
// silently cut short.
class TScriptFileWriter : public TStrings {
public:
    // Writes to fd, which stays open (standard output); name is used in error texts.
    TScriptFileWriter(int fd, std::string name);
    // Creates (or empties) the file at path; EFCreateError when that fails.
    explicit TScriptFileWriter(const std::string& path);
    ~TScriptFileWriter() override;
    TScriptFileWriter(const TScriptFileWriter&) = delete;
    TScriptFileWriter& operator=(const TScriptFileWriter&) = delete;

    int Count() const override { return FLineCount; }
    std::string Get(int index) const override;
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    void Delete(int index) override;
    // Nothing to do before the first line; afterwards the written bytes cannot be taken back.
    void Clear() override;
    int Add(const std::string& line) override;

    // Writes what is buffered; throws EWriteError on failure.
    void Flush();
    // Flushes and closes a file the writer created (fsync'd first, so a full disk is reported
    // here and not lost at close). Throws EWriteError on failure. The destructor closes too,
    // but swallows errors: call Close to learn of them.
    void Close();

private:
    void WriteAll(const char* data, size_t size);
    [[noreturn]] void Unsupported(const char* operation) const;

    int FFd = -1;
    bool FOwnsFd = false;
    bool FClosed = false;
    std::string FName;
    std::string FBuffer;
    int FLineCount = 0;
};
