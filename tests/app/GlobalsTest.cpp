#include <gtest/gtest.h>

#include "app/Globals.h"

TEST(Globals, SplitStringKeepsEmptyPiecesButNoTrailingOne) {
    struct Case {
        std::string Text;
        std::vector<std::string> Pieces;
    } cases[] = {
        {"a,,b", {"a", "", "b"}}, {"a,b,", {"a", "b"}}, {",a", {"", "a"}}, {"", {}},
        {" x , y ", {"x", "y"}},
    };
    for (const Case& c : cases) {
        TStringList pieces;
        EXPECT_EQ(SplitString(c.Text, pieces, '\0', true), static_cast<int>(c.Pieces.size()))
            << c.Text;
        EXPECT_EQ(pieces.Items(), c.Pieces) << c.Text;
    }
    TStringList untrimmed;
    SplitString(" a ; b", untrimmed, ';', false);
    EXPECT_EQ(untrimmed.Items(), (std::vector<std::string>{" a ", " b"}));
}

TEST(Globals, VersionTextComesFromTheProjectVersion) {
    EXPECT_EQ(GetVersionText(), "V2.0.0.0");
}
