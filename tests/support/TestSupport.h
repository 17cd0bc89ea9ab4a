#pragma once
// Shared helpers for every test program: where the test corpora live, temporary folders, and
// byte comparisons that say where two byte strings part.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testsupport {

// Root of the shared GIF corpus (conformance, malformed, real): the folder named by the
// environment variable REELWRIGHT_TESTDATA, else ../shared/testdata beside the checkout.
// The corpus is not part of the repository; tests that need it skip when it is absent.
QString sharedTestDataRoot();
QString sharedTestData(const QString& relative = {});
bool hasSharedTestData();
// The one line a skipped test prints: which folder was looked for and how to name another one.
QString sharedTestDataMissingNote();
// Fixtures made by this project (tests/data).
QString localTestData(const QString& relative = {});
// Folder with the built programs (reelwright, reelwright-cli, resources).
QString binDir();
// All files below a folder whose names end with one of the suffixes, sorted.
QStringList filesBelow(const QString& folder, const QStringList& suffixes);
QByteArray readFile(const QString& path);

// Compares two byte strings; on a mismatch the message gives both sizes, the first differing
// offset and the bytes around it in hex. Use through EXPECT_SAME_BYTES / ASSERT_SAME_BYTES.
::testing::AssertionResult sameBytes(const char* expectedExpr, const char* actualExpr,
                                     const QByteArray& expected, const QByteArray& actual);
// The first offset where the two differ (the shorter length when one is a prefix), or -1.
qsizetype firstDifference(const QByteArray& a, const QByteArray& b);

} // namespace testsupport

#define EXPECT_SAME_BYTES(expected, actual) EXPECT_PRED_FORMAT2(::testsupport::sameBytes, expected, actual)
#define ASSERT_SAME_BYTES(expected, actual) ASSERT_PRED_FORMAT2(::testsupport::sameBytes, expected, actual)

// Skips the running test when the shared corpus is absent, with one line naming the folder.
#define REQUIRE_SHARED_TESTDATA()                                                                            \
    do {                                                                                                     \
        if (!::testsupport::hasSharedTestData())                                                             \
            GTEST_SKIP() << ::testsupport::sharedTestDataMissingNote().toStdString();                        \
    } while (false)
