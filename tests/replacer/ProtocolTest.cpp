// What quorvel and the replacement program agree on, checked in-process: the list file, the
// names it may carry, the command line, and which downloaded bytes are a program.
#include <gtest/gtest.h>

#include "replacer/Protocol.h"
#include "replacer/Replacement.h"
#include "tests/common/TestFiles.h"

using replacer::ParseCommandLine;
using replacer::ParseReplacementList;
using replacer::TUpgradeMethod;

namespace {

TEST(ProtocolTest, ListRoundTripAndMalformedLists) {
    replacer::TReplacementList list{4242, {"quorvel.uTMP", "数据.txt.uTMP", "a b.uTMP"}};
    std::string text = replacer::FormatReplacementList(list);
    EXPECT_EQ(text, "quorvel-replacement-list 1\npid 4242\nfile quorvel.uTMP\n"
                    "file 数据.txt.uTMP\nfile a b.uTMP\n");
    auto parsed = ParseReplacementList(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->ProcessId, 4242);
    EXPECT_EQ(parsed->Files, list.Files);

    auto empty = ParseReplacementList("quorvel-replacement-list 1\npid 7");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->Files.empty());

    for (const char* bad :
         {"", "quorvel-replacement-list 2\npid 7\n", "quorvel-replacement-list 1\nfile a.uTMP\n",
          "quorvel-replacement-list 1\npid 0\n", "quorvel-replacement-list 1\npid 12x\n",
          "quorvel-replacement-list 1\npid 7\nfile ../x.uTMP\n",
          "quorvel-replacement-list 1\npid 7\nfile a/b.uTMP\n",
          "quorvel-replacement-list 1\npid 7\nname a.uTMP\n",
          "quorvel-replacement-list 1\npid 7\nfile a.uTMP\n\nfile b.uTMP\n"})
        EXPECT_FALSE(ParseReplacementList(bad)) << bad;
}

TEST(ProtocolTest, PlainFileNames) {
    for (std::string_view bad :
         {std::string_view(""), std::string_view("."), std::string_view(".."),
          std::string_view("a/b"), std::string_view("a\\b"), std::string_view("x\x01"),
          std::string_view("../x"), std::string_view("x\x7f"), std::string_view("a\0b", 3)})
        EXPECT_FALSE(replacer::IsPlainFileName(bad)) << bad;
    for (std::string_view good : {"setup.bin", "数据.txt", "...", ".hidden", "a b"})
        EXPECT_TRUE(replacer::IsPlainFileName(good)) << good;
}

TEST(ProtocolTest, CommandLine) {
    // Four separate arguments; the program path may hold a "+" and blanks.
    auto usual =
        ParseCommandLine({"/opt/c++ tools/quorvel", "+/afterupgrade0", "/tmp/q/files.list"});
    ASSERT_TRUE(usual);
    EXPECT_EQ(usual->ProgramPath, "/opt/c++ tools/quorvel");
    EXPECT_EQ(usual->RestartParams, "/afterupgrade");
    EXPECT_EQ(usual->Method, TUpgradeMethod::SelfUpgrade);
    EXPECT_EQ(usual->ListPath, "/tmp/q/files.list");

    // A program path that arrived split at its blanks, and the setup method.
    auto joined = ParseCommandLine({"/opt/my", "app/quorvel", "+/a", "/b1", "/tmp/q/files.list"});
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->ProgramPath, "/opt/my app/quorvel");
    EXPECT_EQ(joined->RestartParams, "/a /b");
    EXPECT_EQ(joined->Method, TUpgradeMethod::ExternalSetup);

    auto bare = ParseCommandLine({"/opt/quorvel", "+0", "/tmp/q/files.list"});
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->RestartParams, "");

    EXPECT_FALSE(ParseCommandLine({"/opt/quorvel", "/tmp/q/files.list"}));
    EXPECT_FALSE(ParseCommandLine({"/opt/quorvel", "afterupgrade0", "/tmp/q/files.list"}));
    EXPECT_FALSE(ParseCommandLine({"/opt/quorvel", "+", "/tmp/q/files.list"}));

    using Words = std::vector<std::string>;
    EXPECT_EQ(replacer::SplitRestartParams(" "), Words{});
    EXPECT_EQ(replacer::SplitRestartParams("/afterupgrade"), Words{"/afterupgrade"});
    EXPECT_EQ(replacer::SplitRestartParams(" /a  /b "), (Words{"/a", "/b"}));
}

TEST(ProtocolTest, ElfProgramDetection) {
    using testing_support::ReadBytes;
    std::string program = ReadBytes(FAKE_PROGRAM_V1);
    EXPECT_TRUE(replacer::IsElfProgram(program)); // position-independent, names an interpreter
    // A shared library is ET_DYN too but names no interpreter.
    std::string library = ReadBytes("/lib/x86_64-linux-gnu/libm.so.6");
    ASSERT_FALSE(library.empty());
    EXPECT_FALSE(replacer::IsElfProgram(library));
    // A classic executable (ET_EXEC) needs no interpreter entry.
    std::string executable = program.substr(0, replacer::kElfProbeSize);
    executable[16] = 2;
    executable.resize(64);
    EXPECT_TRUE(replacer::IsElfProgram(executable));
    // Program headers cut off: cannot be told to be a program.
    EXPECT_FALSE(replacer::IsElfProgram(program.substr(0, 64)));
    EXPECT_FALSE(replacer::IsElfProgram("#!/bin/sh\necho hello\n"));
    std::string notElf = program;
    notElf[1] = 'e';
    EXPECT_FALSE(replacer::IsElfProgram(notElf));
}

} // namespace
