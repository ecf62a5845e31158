#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/ScriptAssembly.h"
#include "app/ScriptWriter.h"
#include "app/WindowText.h"
#include "base/Exception.h"
#include "tests/app/TestResults.h"
#include "tests/common/TestFiles.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string TempPath(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder ? folder : "/tmp") + "/quorvel-" + std::to_string(::getpid()) + "-" +
           name;
}

} // namespace

TEST(ScriptWriter, WritesTheBytesTheScriptViewWouldSave) {
    // Enough rows that the writer's buffer fills several times; lines longer than the buffer.
    TestColumn sel = BooleanSel({});
    TestColumn text{"t", TFieldType::ftString, TValueStorage::Bytes, {}};
    for (int i = 0; i < 3000; ++i) {
        sel.Cells.push_back(Bool(i % 3 != 0));
        text.Cells.push_back(
            Bytes(std::string(static_cast<size_t>(i % 100 == 0 ? 70000 : i), 'x') + "'\n"));
    }
    TResultSet result;
    result.LoadPacket(MakePacket({sel, text}));
    TExportOptions options{TDialect::dMssql, "t", true, true, "", {}, {}};

    TStringList view;
    GenerateInsertScript(result, view, options);
    std::string path = TempPath("script.sql");
    {
        TScriptFileWriter writer(path, TDialect::dMssql, TScriptEncoding::GB18030);
        writer.Clear();
        GenerateInsertScript(result, writer, options);
        EXPECT_EQ(writer.Count(), view.Count());
        writer.Close();
    }
    EXPECT_EQ(ReadFile(path), view.Text());
    std::remove(path.c_str());

    // Only appending is possible.
    TScriptFileWriter writer(path, TDialect::dMssql, TScriptEncoding::GB18030);
    writer.Add("a");
    EXPECT_THROW(writer.Get(0), Exception);
    EXPECT_THROW(writer.Insert(0, "b"), Exception);
    EXPECT_THROW(writer.Clear(), Exception);
    writer.Close();
    EXPECT_EQ(ReadFile(path), "a");
    std::remove(path.c_str());
    EXPECT_THROW(
        TScriptFileWriter("/nonexistent-folder/x.sql", TDialect::dMssql, TScriptEncoding::GB18030),
        EFCreateError);
}

// The declaration is the file's first line (the view and Count do not have it); UTF-8 lines are
// converted; a script that is not closed leaves the file that was there.
TEST(ScriptWriter, AMysqlFileDeclaresItsEncodingAndAnUnfinishedOneLeavesTheOldFile) {
    testing_support::TempFolder folder;
    std::string path = folder.Path() + "script.sql";
    struct Case {
        TDialect Dialect;
        TScriptEncoding Encoding;
        std::string Bytes;
    } cases[] = {
        {TDialect::dMysql, TScriptEncoding::GB18030,
         "/*!40101 SET NAMES gbk */;\r\n" + CodePageText("-- 中\r\n")},
        {TDialect::dMysql, TScriptEncoding::Utf8, "/*!40101 SET NAMES utf8mb4 */;\r\n-- 中\r\n"},
        {TDialect::dMssql, TScriptEncoding::Utf8, "-- 中\r\n"},
    };
    for (const Case& c : cases) {
        TScriptFileWriter writer(path, c.Dialect, c.Encoding);
        writer.Add(CodePageText("-- 中"));
        writer.Add("");
        EXPECT_EQ(writer.Count(), 2);
        writer.Close();
        EXPECT_EQ(ReadFile(path), c.Bytes);
    }

    testing_support::WriteBytes(path, "old");
    {
        TScriptFileWriter writer(path, TDialect::dMysql, TScriptEncoding::GB18030);
        for (int i = 0; i < 5000; ++i)
            writer.Add(std::string(100, 'z')); // past the buffer
        // An exception on its way out of the export.
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ScriptWriter, AFullDiskFailsTheExport) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not writable here";
    // A short script fails at the final write.
    TScriptFileWriter small("/dev/full", TDialect::dMssql, TScriptEncoding::GB18030);
    small.Add("INSERT");
    try {
        small.Close();
        FAIL() << "no error";
    } catch (const EWriteError& error) {
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos)
            << error.what();
    }
    // A long one fails during the export, which then stops with the error.
    TestColumn sel = BooleanSel({});
    TestColumn text{"t", TFieldType::ftString, TValueStorage::Bytes, {}};
    for (int i = 0; i < 2000; ++i) {
        sel.Cells.push_back(Bool(true));
        text.Cells.push_back(Bytes(std::string(100, 'y')));
    }
    TResultSet result;
    result.LoadPacket(MakePacket({sel, text}));
    TScriptFileWriter full("/dev/full", TDialect::dMysql, TScriptEncoding::GB18030);
    EXPECT_THROW(
        GenerateInsertScript(result, full, {TDialect::dMysql, "t", false, false, "", {}, {}}),
        EWriteError);
    EXPECT_FALSE(result.ControlsDisabled());
}
