// TScriptFileWriter: a line sink that writes a script to a file or standard output.
#pragma once

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/Dialect.h"
#include "base/Strings.h"
#include "platform/CodePage.h"
#include "platform/FileWriter.h"

// Writes each added line to a file, lines joined by CR LF with no break after the last: the
// bytes the script view holds, in the chosen encoding (converted per line for UTF-8). A mysql
// file starts with a line that declares its encoding to the client that runs it; the script
// view does not show that line. Only Clear (before the first line) and Add are supported; the
// list operations that read or change earlier lines throw.
// A failed write throws EWriteError with the system's reason, and the file is then abandoned:
// a script is never silently cut short, and a file that was there stays as it was.
class TScriptFileWriter : public TStrings {
public:
    TScriptFileWriter(std::unique_ptr<platform::TFileWriter> file, TDialect dialect,
                      TScriptEncoding encoding,
                      platform::TConversion conversion = platform::TConversion::Strict);
    // Writes the file at path (a file-system name); EFCreateError when it cannot be created.
    TScriptFileWriter(const std::string& path, TDialect dialect, TScriptEncoding encoding,
                      platform::TConversion conversion = platform::TConversion::Strict);
    // Without Close the file is abandoned (see platform::TFileWriter).
    ~TScriptFileWriter() override = default;
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
    // Flushes and puts the complete file in place. Throws EWriteError on failure.
    void Close();

private:
    void Append(const std::string& bytes);
    [[noreturn]] void Unsupported(const char* operation) const;

    std::unique_ptr<platform::TFileWriter> FFile;
    TScriptEncoding FEncoding;
    platform::TConversion FConversion;
    bool FLineStarted = false; // a line (the declaration or a script line) is written
    std::string FBuffer;
    int FLineCount = 0;
};

// The line a mysql script file starts with, without its line break; empty for mssql.
std::string EncodingDeclaration(TDialect dialect, TScriptEncoding encoding);
