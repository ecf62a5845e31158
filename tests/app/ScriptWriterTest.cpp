#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/ScriptAssembly.h"
#include "app/ScriptWriter.h"
#include "base/Exception.h"
#include "tests/app/TestResults.h"

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
        TScriptFileWriter writer(path);
        writer.Clear();
        GenerateInsertScript(result, writer, options);
        EXPECT_EQ(writer.Count(), view.Count());
        writer.Close();
    }
    EXPECT_EQ(ReadFile(path), view.Text());
    std::remove(path.c_str());

    // Only appending is possible.
    TScriptFileWriter writer(path);
    writer.Add("a");
    EXPECT_THROW(writer.Get(0), Exception);
    EXPECT_THROW(writer.Insert(0, "b"), Exception);
    EXPECT_THROW(writer.Clear(), Exception);
    writer.Close();
    EXPECT_EQ(ReadFile(path), "a");
    std::remove(path.c_str());
    EXPECT_THROW(TScriptFileWriter("/nonexistent-folder/x.sql"), EFCreateError);
}

TEST(ScriptWriter, AFullDiskFailsTheExport) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not writable here";
    // A short script fails at the final write.
    TScriptFileWriter small("/dev/full");
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
    TScriptFileWriter full("/dev/full");
    EXPECT_THROW(
        GenerateInsertScript(result, full, {TDialect::dMysql, "t", false, false, "", {}, {}}),
        EWriteError);
    EXPECT_FALSE(result.ControlsDisabled());
    // Writing to a descriptor that was closed under it is reported too.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ::close(fds[1]);
    TScriptFileWriter closed(fds[1], "standard output");
    closed.Add("x");
    EXPECT_THROW(closed.Flush(), EWriteError);
    ::close(fds[0]);
}
