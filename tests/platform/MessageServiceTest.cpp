// The message service: the scripted service records and never blocks, the Qt service never blocks
// on the offscreen platform, and the filter texts convert to Qt's form.
#include "platform/MessageService.h"
#include "platform/ResourceLibrary.h"
#include "platform/ScriptedMessageService.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(MessageService, ScriptedServiceAnswersInOrderAndRecordsEveryText)
{
    TScriptedMessageService scripted;
    TScopedMessageService scope(scripted);
    scripted.pushAnswer(TMsgResult::Yes);
    scripted.pushAnswer(TMsgResult::All);
    scripted.pushMakeDefault(true);
    scripted.pushInput(QStringLiteral("typed"));
    scripted.pushFiles({QStringLiteral("/pics/a.gif"), QStringLiteral("/pics/b.gif")}, 2);
    scripted.pushFolder(QStringLiteral("/pics"));

    EXPECT_EQ(messageDlg(QStringLiteral("first?"), TMsgType::Confirmation, TMsgButtons::YesNo),
              TMsgResult::Yes);
    bool makeDefault = false;
    EXPECT_EQ(messageService().question(QStringLiteral("second?"), TMsgType::Confirmation,
                                        TMsgButtons::AbortIgnoreAll, makeDefault,
                                        QString::fromLatin1(kMakeDefaultCaption)),
              TMsgResult::All);
    EXPECT_TRUE(makeDefault);
    EXPECT_EQ(messageService().inputBox(QStringLiteral("Cap"), QStringLiteral("prompt"), {}),
              QStringLiteral("typed"));
    TFileDialogRequest request;
    request.title = QStringLiteral("Open");
    const TFileDialogResult files = messageService().openFile(request);
    EXPECT_TRUE(files.accepted);
    EXPECT_EQ(files.files.size(), 2);
    EXPECT_EQ(files.folder, QStringLiteral("/pics"));
    EXPECT_EQ(files.filterIndex, 2);
    EXPECT_EQ(messageService().chooseFolder(QStringLiteral("Browse"), {}), QStringLiteral("/pics"));

    EXPECT_EQ(scripted.texts(),
              (QStringList{QStringLiteral("first?"), QStringLiteral("second?"), QStringLiteral("prompt"),
                           QStringLiteral("Open"), QStringLiteral("Browse")}));
    EXPECT_EQ(scripted.recorded()[1].buttons, TMsgButtons::AbortIgnoreAll);
}

TEST(MessageService, EmptyQueuesGiveTheDismissedAnswer)
{
    TScriptedMessageService scripted;
    TScopedMessageService scope(scripted);
    const struct
    {
        TMsgButtons buttons;
        TMsgResult expected;
    } cases[] = {
        {TMsgButtons::Ok, TMsgResult::Ok},
        {TMsgButtons::YesNo, TMsgResult::No},
        {TMsgButtons::YesNoCancel, TMsgResult::Cancel},
        {TMsgButtons::AbortIgnoreAll, TMsgResult::Ignore},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageDlg(QStringLiteral("x"), TMsgType::Warning, c.buttons), c.expected);
    bool makeDefault = true;
    messageService().question(QStringLiteral("q"), TMsgType::Confirmation, TMsgButtons::YesNo, makeDefault,
                              {});
    EXPECT_TRUE(makeDefault) << "an unscripted question leaves the box as it was";
    EXPECT_FALSE(messageService().inputBox({}, QStringLiteral("p"), QStringLiteral("d")).has_value());
    EXPECT_FALSE(messageService().openFile({}).accepted);
    EXPECT_FALSE(messageService().saveFile({}).accepted);
    EXPECT_FALSE(messageService().chooseFolder({}, {}).has_value());
}

TEST(MessageService, QtServiceNeverBlocksOnTheOffscreenPlatform)
{
    // The test program runs offscreen: every dialog returns at once with the dismissed answer.
    TQtMessageService qt;
    EXPECT_EQ(qt.messageBox(QStringLiteral("hello"), TMsgType::Information, TMsgButtons::YesNoCancel),
              TMsgResult::Cancel);
    bool makeDefault = false;
    EXPECT_EQ(qt.question(QStringLiteral("q"), TMsgType::Confirmation, TMsgButtons::YesNo, makeDefault, {}),
              TMsgResult::No);
    EXPECT_FALSE(qt.inputBox({}, {}, {}).has_value());
    EXPECT_FALSE(qt.openFile({}).accepted);
    EXPECT_FALSE(qt.chooseFolder({}, {}).has_value());
}

TEST(MessageService, ScopesRestoreThePreviousService)
{
    IMessageService* outer = &messageService();
    {
        TScriptedMessageService a;
        TScopedMessageService scopeA(a);
        {
            TScriptedMessageService b;
            TScopedMessageService scopeB(b);
            EXPECT_EQ(&messageService(), &b);
        }
        EXPECT_EQ(&messageService(), &a);
    }
    EXPECT_EQ(&messageService(), outer);
}

TEST(MessageService, FilterTextsBecomeQtNameFilters)
{
    // The shown pattern list is replaced by the real one, never repeated after it.
    EXPECT_EQ(qtNameFilters(QStringLiteral("GIF Images (*.gif)|*.gif")),
              QStringList{QStringLiteral("GIF Images (*.gif)")});
    EXPECT_EQ(qtNameFilters(QStringLiteral("Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|All Files (*.*)|*.*")),
              (QStringList{QStringLiteral("Jpeg Images (*.jpg *.jpeg)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Pictures|*.png;*.bmp")), QStringList{QStringLiteral("Pictures (*.png *.bmp)")});
    EXPECT_EQ(qtNameFilters(QStringLiteral("Dangling")), QStringList{});
    EXPECT_EQ(qtNameFilters(QString()), QStringList{});
}

TEST(ResourceLibrary, MissingLibraryIsReportedOnceWithTheExactTextAndGivesNothing)
{
    TScriptedMessageService scripted;
    TScopedMessageService scope(scripted);
    QTemporaryDir empty;
    TResourceLibrary library(empty.path());
    EXPECT_TRUE(library.loadBitmap(QStringLiteral("SPLASH")).isNull());
    ASSERT_EQ(scripted.recorded().size(), 1u);
    EXPECT_EQ(scripted.recorded()[0].text, QStringLiteral("Could not load Spoolkit.rcc library file."));
    EXPECT_EQ(scripted.recorded()[0].type, TMsgType::Error);
    EXPECT_EQ(scripted.recorded()[0].buttons, TMsgButtons::Ok);
    // The logo animation's load is quiet.
    EXPECT_TRUE(library.loadGif(QStringLiteral("ANIMATED")).isEmpty());
    EXPECT_EQ(scripted.recorded().size(), 1u);
}

TEST(ResourceLibrary, CorruptLibraryCountsAsMissing)
{
    TScriptedMessageService scripted;
    TScopedMessageService scope(scripted);
    QTemporaryDir dir;
    QFile file(dir.filePath(QString::fromLatin1(kSpoolkitLibrary)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("qres\0\0\0\x03garbage", 16);
    file.close();
    EXPECT_TRUE(TResourceLibrary(dir.path()).loadBitmap(QStringLiteral("SPLASH")).isNull());
    EXPECT_EQ(scripted.texts(), QStringList{QStringLiteral("Could not load Spoolkit.rcc library file.")});
}

TEST(ResourceLibrary, BuiltLibraryHoldsTheFourPicturesAndIsReleasedAfterEachRead)
{
    TScriptedMessageService scripted;
    TScopedMessageService scope(scripted);
    TResourceLibrary library; // beside the test program, like beside the editor
    for (const char* name : {"SPLASH", "ANI_WIZ", "OPT_WIZ"}) {
        const QImage image = library.loadBitmap(QString::fromLatin1(name));
        EXPECT_FALSE(image.isNull()) << name;
    }
    const QByteArray gif = library.loadGif(QStringLiteral("ANIMATED"));
    EXPECT_TRUE(gif.startsWith("GIF89a"));
    EXPECT_TRUE(library.loadGif(QStringLiteral("SPLASH")).isEmpty()) << "types are separate";
    EXPECT_TRUE(scripted.recorded().empty());
    // Nothing stays mapped once a read is done.
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/spoolkit-load-1/BITMAP/SPLASH")));
}

} // namespace
