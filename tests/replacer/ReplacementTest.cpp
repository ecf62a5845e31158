// The all-or-nothing replacement in-process, for failures the real program's tests do not
// reach: a listed download that is missing, or listed twice.
#include <gtest/gtest.h>

#include "replacer/Replacement.h"
#include "tests/common/TestFiles.h"

using testing_support::FolderEntries;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using Names = std::vector<std::string>;

namespace {

TEST(ReplacementTest, MissingOrRepeatedDownloadPutsEverythingBack) {
    for (const Names& list : {Names{"a.txt.uTMP", "b.txt.uTMP", "c.txt.uTMP"},
                              Names{"a.txt.uTMP", "c.txt.uTMP", "a.txt.uTMP"}}) {
        SCOPED_TRACE(list[1]);
        TempFolder folder("quorvel-replace");
        WriteBytes(folder.Path() + "a.txt", "old a");
        WriteBytes(folder.Path() + "a.txt.uTMP", "new a");
        WriteBytes(folder.Path() + "c.txt.uTMP", "new c");
        auto steps = replacer::PlanReplacement(folder.Path(), "quorvel",
                                               replacer::TUpgradeMethod::SelfUpgrade, list);

        std::string failure = replacer::ReplaceFiles(steps);

        EXPECT_NE(failure.find(": No such file or directory"), std::string::npos) << failure;
        EXPECT_EQ(ReadBytes(folder.Path() + "a.txt"), "old a");
        EXPECT_EQ(FolderEntries(folder.Path()), Names{"a.txt"});
    }
}

} // namespace
