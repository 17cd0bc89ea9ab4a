// Recent files, the main status bar and the engine-warning policy through the real main window,
// from an empty settings store, with every box answered by the scripted message service.
#include "AnimationFilesFixture.h"

#include "app/RecentFiles.h"
#include "app/Warnings.h"
#include "platform/Settings.h"

#include <QLabel>
#include <QMenu>

namespace {

class RecentFilesWindowTest : public AnimationFilesFixture
{
protected:
    QStringList recentCaptions()
    {
        QStringList captions;
        for (QAction* entry : main().menu(QStringLiteral("mniRecentFiles"))->actions())
            captions << entry->text();
        return captions;
    }
    QString status() { return main().statusPanel(2)->text(); }
    // A one-frame GIF whose trailer is replaced by an unknown block: the reader warns twice
    // ("Unknown GIF block type", "Invalid Image trailer") and still reads the frame.
    QString gifWithWarnings(const QString& name)
    {
        const QString path = makeGif(name, 1);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.back(), '\x3B');
        bytes.back() = '\x2A';
        file.seek(0);
        file.write(bytes);
        return path;
    }
    QStringList warningBoxes() const
    {
        QStringList texts;
        for (const TRecordedDialog& shown : m_messages.recorded())
            if (shown.buttons == TMsgButtons::AbortIgnoreAll)
                texts << shown.text;
        return texts;
    }
};

TEST_F(RecentFilesWindowTest, ElevenFilesLeaveTenEntriesReopeningMovesToTheTop)
{
    QStringList paths;
    for (int i = 0; i < 11; ++i)
        paths << makeGif(QStringLiteral("file%1.gif").arg(i), 2);
    for (const QString& path : paths)
        open(path);
    QStringList captions = recentCaptions();
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions.front(), QStringLiteral("&0 %1").arg(paths[10]));
    EXPECT_EQ(captions.back(), QStringLiteral("&9 %1").arg(paths[1]));
    EXPECT_FALSE(main().recentFiles().paths().contains(paths[0]));

    // Closed and opened again: its entry moves to "&0", nothing is duplicated.
    TMDIChild* five = nullptr;
    for (TMDIChild* doc : views())
        if (doc->fileName() == paths[5])
            five = doc;
    ASSERT_NE(five, nullptr);
    docs().remove(five->document());
    QCoreApplication::processEvents();
    open(paths[5]);
    captions = recentCaptions();
    EXPECT_EQ(captions.size(), 10);
    EXPECT_EQ(captions.front(), QStringLiteral("&0 %1").arg(paths[5]));
    EXPECT_EQ(main().recentFiles().paths().count(paths[5]), 1);

    // The open button's drop-down mirrors the submenu when it opens.
    QMenu* popup = main().findChild<QMenu*>(QStringLiteral("pmnRecentFiles"));
    ASSERT_NE(popup, nullptr);
    emit popup->aboutToShow();
    QStringList mirrored;
    for (QAction* entry : popup->actions())
        mirrored << entry->text();
    EXPECT_EQ(mirrored, captions);

    // Stored at shut-down, back at the next start.
    stopProgram();
    EXPECT_EQ(Settings::readString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU0"), {}), paths[5]);
    EXPECT_EQ(recentCaptions(), captions);
}

TEST_F(RecentFilesWindowTest, AMovedFileIsReportedAndItsEntryGoes)
{
    const QString kept = makeGif(QStringLiteral("kept.gif"), 2);
    const QString moved = makeGif(QStringLiteral("moved.gif"), 2);
    open(kept);
    open(moved);
    docs().remove(activeView()->document());
    QCoreApplication::processEvents();
    ASSERT_TRUE(QFile::remove(moved));
    ASSERT_EQ(recentCaptions(), (QStringList{QStringLiteral("&0 %1").arg(moved), QStringLiteral("&1 %1").arg(kept)}));

    main().menu(QStringLiteral("mniRecentFiles"))->actions().first()->trigger();
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Could not open %1. The file may have moved.").arg(moved)});
    EXPECT_EQ(m_messages.recorded().back().type, TMsgType::Warning);
    QCoreApplication::processEvents();
    EXPECT_EQ(recentCaptions(), QStringList{QStringLiteral("&0 %1").arg(kept)});
    EXPECT_EQ(docs().count(), 1);

    // An entry whose file is there opens it.
    docs().remove(activeView()->document());
    QCoreApplication::processEvents();
    main().menu(QStringLiteral("mniRecentFiles"))->actions().first()->trigger();
    ASSERT_NE(activeView(), nullptr);
    EXPECT_EQ(activeView()->fileName(), kept);
}

TEST_F(RecentFilesWindowTest, StatusBarShowsHintsAndEmptiesOnDeactivation)
{
    main().action(TActionId::FileOpen)->showStatusText(&main());
    EXPECT_EQ(status(), QStringLiteral("Open a file"));
    TMDIChild* first = open(makeGif(QStringLiteral("first.gif"), 2));
    open(makeGif(QStringLiteral("second.gif"), 2));
    main().session().view().setStatusText(2, QStringLiteral("something"));
    docs().activate(first->document());
    EXPECT_EQ(status(), QString());
}

TEST_F(RecentFilesWindowTest, WarningsAreSilentByDefault)
{
    const QString path = gifWithWarnings(QStringLiteral("warns.gif"));
    EXPECT_NE(open(path), nullptr);
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
}

TEST_F(RecentFilesWindowTest, WarningAnswersIgnoreAllAndAbort)
{
    const QString path = gifWithWarnings(QStringLiteral("warns.gif"));
    Settings::writeInteger(SettingKeys::Warnings, 1);
    const QString first = QStringLiteral("A GIF process has resulted in a warning. The source is traced to "
                                         "TGIFImageList with the following message: \"Unknown GIF block type.\"");

    // Ignore: both warnings are shown, the file opens.
    m_messages.pushAnswer(TMsgResult::Ignore);
    m_messages.pushAnswer(TMsgResult::Ignore);
    ASSERT_NE(open(path), nullptr);
    ASSERT_EQ(warningBoxes().size(), 2);
    EXPECT_EQ(warningBoxes().value(0), first);
    EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Warning);
    docs().remove(activeView()->document());
    QCoreApplication::processEvents();

    // Abort: the read stops with the user's reason and no document.
    m_messages.clear();
    m_messages.pushAnswer(TMsgResult::Abort);
    EXPECT_FALSE(docs().open(path));
    EXPECT_EQ(m_messages.texts(), (QStringList{first, QStringLiteral("This process has been aborted.")}));
    EXPECT_EQ(docs().count(), 0);

    // All: no more warnings in this run, and none at the next start.
    m_messages.clear();
    m_messages.pushAnswer(TMsgResult::All);
    ASSERT_TRUE(docs().open(path));
    EXPECT_EQ(m_messages.texts(), QStringList{first});
    EXPECT_EQ(Settings::readInteger(SettingKeys::Warnings), 0);
    EXPECT_FALSE(main().state().warnings);
    docs().remove(activeView()->document());
    QCoreApplication::processEvents();
    m_messages.clear();
    ASSERT_TRUE(docs().open(path));
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST(WarningText, NamesTheSeverityAndTheSender)
{
    TGIFImage image;
    const struct
    {
        int severity;
        const char* name;
    } cases[] = {{0, "special comments"}, {1, "a warning"}, {2, "an error"}};
    for (const auto& c : cases)
        EXPECT_EQ(warningText(&image, c.severity, QStringLiteral("Bad thing")),
                  QStringLiteral("A GIF process has resulted in %1. The source is traced to TGIFImage with the "
                                 "following message: \"Bad thing.\"")
                      .arg(QString::fromLatin1(c.name)));
}

} // namespace
