// Password values masked in messages, in every form a connection text may hold them.
#include <gtest/gtest.h>

#include "base/ConnectionSecrets.h"

namespace {

TEST(ConnectionSecrets, MasksEveryReadingOfThePassword) {
    struct TCase {
        const char* Text;
        const char* Message;
        const char* Masked;
    };
    const TCase cases[] = {
        {"Server=h;PWD=s3cr3t", "login s3cr3t failed on h", "login *** failed on h"},
        {"Server=h;password = {a;b}}c} ;UID=u", "bad a;b}c and {a;b}}c}", "bad *** and ***"},
        {"Provider=X;Password=\"q\"\"uote\"", "got q\"uote", "got ***"},
        // The rest of a password that held ';', piece by piece and whole.
        {"Pwd=se;cret;Server=h", "key \"cret\" in se;cret", "key \"***\" in ***"},
        {"Extended Properties=\"DSN=d;PWD=abc\";User ID=u", "abc\" or abc", "*** or ***"},
        // Short values would garble the message; keys elsewhere in a value are no keys.
        {"PWD=ab;Server=Xpwd=zzz", "ab Xpwd=zzz", "ab Xpwd=zzz"},
    };
    for (const TCase& test : cases)
        EXPECT_EQ(MaskConnectionPasswords(test.Message, test.Text), test.Masked) << test.Text;
}

} // namespace
