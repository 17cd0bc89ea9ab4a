// The helpers every byte-identity test relies on: a failure must name the first differing offset
// and show the bytes there, and Qt strings must print as text.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(TestHelpers, FirstDifferenceAndTheFailureMessage)
{
    struct Case
    {
        QByteArray a;
        QByteArray b;
        qsizetype offset;
    };
    // Where one is a prefix of the other, they differ where the shorter ends.
    const Case cases[] = {
        {"", "", -1},  {"GIF89a", "GIF89a", -1}, {"GIF89a", "GIF87a", 4},
        {"x", "y", 0}, {"GIF", "GIF89a", 3},     {"GIF89a", "GIF", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a.toStdString() + " / " + c.b.toStdString());
        EXPECT_EQ(testsupport::firstDifference(c.a, c.b), c.offset);
        const ::testing::AssertionResult result = testsupport::sameBytes("a", "b", c.a, c.b);
        EXPECT_EQ(bool(result), c.offset < 0);
        if (c.offset >= 0) {
            EXPECT_NE(
                std::string(result.message()).find("first differ at offset " + std::to_string(c.offset)),
                std::string::npos)
                << result.message();
        }
    }
    const ::testing::AssertionResult shown = testsupport::sameBytes("a", "b", "GIF89a", "GIF87a");
    EXPECT_NE(std::string(shown.message()).find("[39]"), std::string::npos) << shown.message();
    EXPECT_NE(std::string(shown.message()).find("[37]"), std::string::npos) << shown.message();
}

TEST(TestHelpers, QtStringsPrintAsText)
{
    EXPECT_EQ(::testing::PrintToString(QStringLiteral("Frame 1")), "\"Frame 1\"");
    EXPECT_EQ(::testing::PrintToString(QByteArray("GIF\x01\"", 5)), "\"GIF\\x01\\\"\"");
    const std::string longText = ::testing::PrintToString(QByteArray(200, 'a'));
    EXPECT_NE(longText.find("(200 bytes)"), std::string::npos) << longText;
}

} // namespace
