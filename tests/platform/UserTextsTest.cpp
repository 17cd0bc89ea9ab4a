// The texts others match word for word keep their odd spots: a well-meant correction would break
// the files, scripts and clients that look for them.
#include "platform/UserTexts.h"

#include <gtest/gtest.h>

#include <string>

TEST(UserTexts, OddSpellingsStayAsShipped)
{
    const struct
    {
        const char* text;
        const char* kept;      // must be there
        const char* corrected; // must not be
    } cases[] = {
        {kUndoHint, "Undos the", "Undoes"},
        {kMinimizeAllHint, "AllMinimizes", "All|Minimizes"},
        {kThumbViewHint, "Shows or hide ", "Shows or hides"},
        {kHelpContentsHint, "Help| Displays", "Help|Displays"},
        {kFloydSteinbergOption, "FloydSteinberg  (", "FloydSteinberg ("},
        {kSyncOpenDialogOption, "Syncronize", "Synchronize"},
        {kCompressionQualityLabel, "Compresson", "Compression"},
        {kOptimizeAllPalettesOption, "Optimze", "Optimize"},
        {kOptimizedSizeCaption, "Optimzed", "Optimized"},
        {kExportSingleIntro, "select the from the list", "select them from"},
        {kDecodeFailedMessage, "The file is could be corrupt.", "The file could be"},
        {kRemoveFavoriteQuestion, "remove %1 the Favorites", "from the Favorites"},
        {kViewHtmlPageQuestion, "default brower now", "browser"},
        {kThumbsOutOfMemoryMessage, "load thumbsnails.", "thumbnails"},
        {kNoImagesFoundStatus, "Sorry no images found in ", "Sorry, "},
        {kPreviewLoadFailed, "Unabled to load", "Unable to load"},
        {kUnidentifiedActionCaption, "Unindentified", "Unidentified"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text(c.text);
        EXPECT_NE(text.find(c.kept), std::string::npos);
        EXPECT_EQ(text.find(c.corrected), std::string::npos);
    }
}

TEST(UserTexts, NameListsAreIndexedByValue)
{
    // Lists are filled from these in order and their item index is taken as the value.
    EXPECT_STREQ(kDisposalNames[0], "None");
    EXPECT_STREQ(kDisposalNames[1], "Remove");
    EXPECT_STREQ(kDisposalNames[2], "Background");
    EXPECT_STREQ(kDisposalNames[3], "Previous");
    EXPECT_STREQ(kBooleanNames[0], "No");
    EXPECT_STREQ(kBooleanNames[1], "Yes");
}
