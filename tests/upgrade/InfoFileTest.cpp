// The information file: key lookup, the numbered file list, version comparison, signatures.
#include <gtest/gtest.h>

#include "base/Format.h"
#include "platform/Crypto.h"
#include "tests/upgrade/TestKeys.h"
#include "upgrade/InfoFile.h"

namespace {

TEST(InfoFileTest, KeysAreFoundAnywhereWithoutLetterCaseAndEndAtAControlCharacter) {
    const std::string text = "remark\n#VERSION=3.1 beta\r\n#Date=04/18/2010\tx\n"
                             "#version=9\n#url =http://wrong\nsee #Method=1x";
    EXPECT_EQ(InfoFileValue(text, "version"), "3.1 beta"); // the first one, blanks kept
    EXPECT_EQ(InfoFileValue(text, "date"), "04/18/2010");
    EXPECT_EQ(InfoFileValue(text, "url"), "");      // "=" must follow the key directly
    EXPECT_EQ(InfoFileValue(text, "method"), "1x"); // not only at the start of a line
    EXPECT_EQ(InfoFileValue("#url=http://Host/A.bin", "url"), "http://Host/A.bin");
    EXPECT_EQ(InfoFileValue("#url=", "url"), "");

    EXPECT_EQ(InfoFileValue("#message={Fixed:\r\n- bugs}\n#x=1", "message"), "Fixed:\r\n- bugs");
    EXPECT_EQ(InfoFileValue("#message={no end\nstill", "message"), "no end\nstill");
    EXPECT_EQ(InfoFileValue("#message=plain", "message"), ""); // the "{" is part of its pattern

    EXPECT_EQ(UpgradeMethodFromValue("1"), TacUpgradeMethod::umUseExternalSetup);
    EXPECT_EQ(UpgradeMethodFromValue("2 redirect"), TacUpgradeMethod::umRedirectToURL);
    EXPECT_EQ(UpgradeMethodFromValue("0"), TacUpgradeMethod::umSelfUpgrade);
    EXPECT_EQ(UpgradeMethodFromValue(""), TacUpgradeMethod::umSelfUpgrade);
}

std::vector<std::string> Urls(const std::string& text) {
    std::vector<std::string> urls;
    for (const TInfoFileEntry& entry : InfoFileEntries(text))
        urls.push_back(entry.Url + (entry.Sha256.empty() ? "" : "=" + entry.Sha256));
    return urls;
}

TEST(InfoFileTest, NumberedUrlsContinueTheCountOfThoseFound) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Urls("#url0=a\n#url1=b\n"), V{"a"}); // with one found, numbering starts at 2
    EXPECT_EQ(Urls("#url1=a\n#url2=b\n#url4=d\n"), V({"a", "b"}));
    EXPECT_EQ(Urls("#url=a\n#url0=b\n#url3=c\n#url4=d\n#url2=x"), V({"a", "b", "c", "d"}));
    EXPECT_EQ(Urls("#url=a\n#url2=b\n#url3=c"), V({"a", "b", "c"}));
    EXPECT_EQ(Urls("#url=\n#url1=a"), V{"a"});
    EXPECT_EQ(Urls("no keys"), V{});
    // Each digest key carries the number of its url key.
    EXPECT_EQ(Urls("#url=a\n#url0=b\n#url3=c\n#sha2563=CC\n#sha256=AA\n#sha2560=BB"),
              V({"a=AA", "b=BB", "c=CC"}));
    EXPECT_EQ(Urls("#url1=a\n#sha256=AA\n#sha2561=11"), V{"a=11"});
}

TEST(InfoFileTest, VersionNumbersCompareByFourNumericParts) {
    EXPECT_EQ(CompareVersionNumbers("10", "9"), 1); // numbers, not text
    EXPECT_EQ(CompareVersionNumbers("9", "10"), -1);
    EXPECT_EQ(CompareVersionNumbers("2.0", "2"), 0);
    EXPECT_EQ(CompareVersionNumbers("2.0.0.1", "2"), 1);
    EXPECT_EQ(CompareVersionNumbers("2.1.0.0.9", "2.1"), 0); // a fifth part is ignored
    EXPECT_EQ(CompareVersionNumbers("2.1.0.0", "2.1.0.1"), -1);
    EXPECT_EQ(CompareVersionNumbers("3.0", "2.9.9.9"), 1);
    // A part that is no number: the whole texts byte by byte.
    EXPECT_EQ(CompareVersionNumbers("2b", "2"), 1);
    EXPECT_EQ(CompareVersionNumbers("", "2"), -1);
    EXPECT_EQ(CompareVersionNumbers("", ""), 0);           // equal texts
    EXPECT_EQ(CompareVersionNumbers("2..1", "2.0.1"), -1); // "." < "0"
    EXPECT_EQ(CompareVersionNumbers("2.\xC3", "2.a"), 1);  // bytes count unsigned
    EXPECT_EQ(CompareVersionNumbers("1.-1", "1.0"), -1);   // "-" < "0"
}

TEST(InfoFileTest, VersionDatesAreMonthDayYearAndAnythingElseIsUnreadable) {
    ASSERT_TRUE(ParseVersionDate("04/18/2010"));
    EXPECT_EQ(*ParseVersionDate("04/18/2010"), 40286); // days since 1899-12-30
    EXPECT_EQ(*ParseVersionDate("4/19/2010"), 40287);
    EXPECT_EQ(*ParseVersionDate("12/31/1899"), 1);
    EXPECT_EQ(*ParseVersionDate("02/29/2024"), 45351);
    for (const char* bad : {"", "04-18-2010", "04/18", "18/04/2010x", "02/30/2024", "13/01/2020",
                            "a/1/2020", "1//2020", "1/1/"})
        EXPECT_FALSE(ParseVersionDate(bad)) << bad;
}

TEST(InfoFileTest, OnlyTheBytesBeforeAValidLastSignatureLineCount) {
    TKeyPair pair, other;
    const std::string body = "#version=3\r\n#url=https://h/q\r\n#message={\xD6\xD0\xCE\xC4}\r\n";
    const std::string signedText = pair.Sign(body);
    std::optional<std::string_view> verified = SignedInfoFileBody(signedText, pair.PublicBase64);
    ASSERT_TRUE(verified);
    EXPECT_EQ(*verified, body);
    // Line breaks after the signature line are not part of the signed text.
    EXPECT_TRUE(SignedInfoFileBody(signedText + "\r\n\n", pair.PublicBase64));
    std::string crlf = signedText;
    crlf.insert(crlf.size() - 1, "\r");
    EXPECT_TRUE(SignedInfoFileBody(crlf, pair.PublicBase64));

    // Any changed byte, anything after the signature, another key, no key: not signed.
    for (size_t at : {size_t{0}, size_t{9}, body.size() - 1}) {
        std::string changed = signedText;
        changed[at] ^= 0x01;
        EXPECT_FALSE(SignedInfoFileBody(changed, pair.PublicBase64)) << at;
    }
    EXPECT_FALSE(SignedInfoFileBody(signedText + "#version=9\n", pair.PublicBase64));
    EXPECT_FALSE(SignedInfoFileBody(signedText, other.PublicBase64));
    EXPECT_FALSE(SignedInfoFileBody(signedText, ""));
    EXPECT_FALSE(SignedInfoFileBody(signedText, "AAAA"));
    EXPECT_FALSE(SignedInfoFileBody(body, pair.PublicBase64));
    EXPECT_FALSE(SignedInfoFileBody("", pair.PublicBase64));
    EXPECT_FALSE(SignedInfoFileBody("\n\n", pair.PublicBase64));
    // The signature of a shorter body does not cover bytes put in front of its line.
    std::string moved = pair.Sign("#version=3\n");
    moved.insert(moved.find("#signature="), "#url=https://evil/x\n");
    EXPECT_FALSE(SignedInfoFileBody(moved, pair.PublicBase64));
}

TEST(InfoFileTest, Base64AndDigestsAreExact) {
    EXPECT_EQ(platform::Base64Decode("aGVsbG8="), "hello");
    EXPECT_EQ(platform::Base64Decode("aGVs\r\nbG8h"), "hello!");
    EXPECT_EQ(platform::Base64Decode(""), "");
    for (const char* bad : {"aGVsbG8", "aGVsbG8==", "aGV=sbG8", "aGVsbG9=", "a*Vs", "="})
        EXPECT_FALSE(platform::Base64Decode(bad)) << bad;
    EXPECT_EQ(BytesToHex(platform::Sha256("abc")),
              "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
}

} // namespace
