#include "app/ScriptWriter.h"

#include "base/Exception.h"
#include "base/Format.h"

namespace {
constexpr size_t kBufferSize = 64 * 1024;

bool IsAscii(const std::string& line) {
    for (unsigned char c : line)
        if (c >= 0x80) return false;
    return true;
}
} // namespace

std::string EncodingDeclaration(TDialect dialect, TScriptEncoding encoding) {
    if (dialect != TDialect::dMysql) return "";
    // The client then reads the bytes as what they are, whatever its own default.
    return encoding == TScriptEncoding::Utf8 ? "/*!40101 SET NAMES utf8mb4 */;"
                                             : "/*!40101 SET NAMES gbk */;";
}

TScriptFileWriter::TScriptFileWriter(std::unique_ptr<platform::TFileWriter> file, TDialect dialect,
                                     TScriptEncoding encoding, platform::TConversion conversion)
    : FFile(std::move(file)), FEncoding(encoding), FConversion(conversion) {
    FBuffer.reserve(kBufferSize);
    FBuffer = EncodingDeclaration(dialect, encoding);
    FLineStarted = !FBuffer.empty();
}

TScriptFileWriter::TScriptFileWriter(const std::string& path, TDialect dialect,
                                     TScriptEncoding encoding, platform::TConversion conversion)
    : TScriptFileWriter(std::make_unique<platform::TFileWriter>(path), dialect, encoding,
                        conversion) {}

void TScriptFileWriter::Unsupported(const char* operation) const {
    throw Exception(Format("%s is not supported while a script is written to %s", operation,
                           FFile->ShownName().c_str()));
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
    if (FLineStarted) FBuffer += "\r\n";
    FLineStarted = true;
    if (FEncoding == TScriptEncoding::Utf8 && !IsAscii(line))
        Append(platform::CodePageToUtf8(line, FConversion));
    else
        Append(line);
    return FLineCount++;
}

void TScriptFileWriter::Append(const std::string& bytes) {
    if (FBuffer.size() + bytes.size() > kBufferSize) {
        Flush();
        if (bytes.size() >= kBufferSize) {
            FFile->Write(bytes);
            return;
        }
    }
    FBuffer += bytes;
}

void TScriptFileWriter::Flush() {
    if (FBuffer.empty()) return;
    // The buffer is emptied first: after a failure the same bytes are not written twice.
    std::string pending;
    pending.swap(FBuffer);
    FBuffer.reserve(kBufferSize);
    FFile->Write(pending);
}

void TScriptFileWriter::Close() {
    Flush();
    FFile->Commit();
}
