// Small user-interface helpers, resources, settings and the automation image transfer.
#include "RoutinesFixture.h"

#include "graphics/Picture.h"
#include "graphics/Streams.h"
#include "platform/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>

namespace {

class RoutinesSupportTest : public RoutinesFixture
{
};

TEST_F(RoutinesSupportTest, IntegerFieldsAcceptDigitsUpToTheLimit)
{
    const struct
    {
        const char* text;
        bool fifteenBit;
        bool valid;
    } cases[] = {
        {"0", true, true},
        {"32767", true, true},
        {"32768", true, false},
        {"65535", false, true},
        {"65536", false, false},
        {" 12 ", true, true},
        {"", true, false},
        {"   ", true, false},
        {"-1", true, false},
        {"1e3", false, false},
        {"99999999999999999999", false, false},
    };
    for (const auto& c : cases) {
        m_messages.clear();
        QLineEdit field;
        field.setProperty("tag", 42);
        field.setText(QString::fromLatin1(c.text));
        EXPECT_EQ(validateIntegerField(field, c.fifteenBit), c.valid) << c.text;
        if (c.valid) {
            EXPECT_TRUE(m_messages.texts().isEmpty());
            EXPECT_EQ(field.text(), QString::fromLatin1(c.text));
        } else {
            EXPECT_EQ(
                m_messages.texts(),
                QStringList(
                    QStringLiteral("'%1' is not a valid integer value.").arg(QString::fromLatin1(c.text))));
            EXPECT_EQ(m_messages.recorded().at(0).type, TMsgType::Error);
            EXPECT_EQ(field.text(), QStringLiteral("42")) << "the remembered value comes back";
        }
    }
}

TEST_F(RoutinesSupportTest, NumberAndSizeTexts)
{
    EXPECT_TRUE(isNumber(QStringLiteral(" 1 2 ")));
    EXPECT_FALSE(isNumber(QStringLiteral("   ")));
    EXPECT_FALSE(isNumber(QStringLiteral("1.5")));
    EXPECT_EQ(kilobytes(0), 1);
    EXPECT_EQ(kilobytes(1024), 1);
    EXPECT_EQ(kilobytes(1025), 1);
    EXPECT_EQ(kilobytes(4095), 3);
    EXPECT_EQ(kilobytes(int64_t(5) << 30), int64_t(5) << 20);
}

TEST_F(RoutinesSupportTest, ControlsAreCentredWhenSmallerThanTheBox)
{
    QScrollArea box;
    box.resize(300, 200);
    auto* panel = new QWidget;
    panel->resize(100, 50);
    box.setWidget(panel);
    box.setWidgetResizable(false);
    box.show();
    centerInScrollBox(box, *panel);
    const QSize client = box.viewport()->size();
    EXPECT_EQ(panel->pos(), QPoint((client.width() - 100) / 2, (client.height() - 50) / 2));
    panel->resize(1000, 50);
    centerInScrollBox(box, *panel);
    EXPECT_EQ(panel->x(), 0);
}

TEST_F(RoutinesSupportTest, OpeningALinkThatNobodyTakesTellsTheUser)
{
    QStringList opened;
    session().setUrlOpener([&](const QString& text) {
        opened << text;
        return text.startsWith(QLatin1String("http"));
    });
    EXPECT_TRUE(session().openDocumentOrLink(QStringLiteral("https://example.org/")));
    EXPECT_FALSE(session().openDocumentOrLink(QStringLiteral("/no/such/file.html")));
    EXPECT_EQ(opened.size(), 2);
    // The message names what could not be opened, so the user can open it by hand.
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Could not load the client.\n\n/no/such/file.html")));
    EXPECT_EQ(m_messages.recorded().at(0).type, TMsgType::Information);
}

TEST_F(RoutinesSupportTest, ByteArraysCarryBitmapFiles)
{
    const QByteArray bmp =
        testsupport::readFile(testsupport::localTestData(QStringLiteral("imaging/quad.bmp")));
    TBitmap bitmap;
    ASSERT_TRUE(byteArrayToBitmap(bmp, bitmap));
    EXPECT_EQ(bitmap.width(), 16);

    for (const QByteArray& bad : {QByteArray(), QByteArray("BM"), bmp.left(40), QByteArray(500, '\xff')}) {
        TBitmap target;
        EXPECT_FALSE(byteArrayToBitmap(bad, target)) << bad.size();
    }
}

TEST_F(RoutinesSupportTest, MissingResourceLibraryIsReported)
{
    QTemporaryDir empty;
    TResourceLibrary library(empty.path());
    TPicture picture;
    EXPECT_FALSE(loadBitmapResource(library, QStringLiteral("SPLASH"), picture));
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Could not load Spoolkit.rcc library file.")));
    EXPECT_EQ(picture.graphic(), nullptr);
}

TEST_F(RoutinesSupportTest, ResourcesOfTheBuiltLibraryLoadIntoPictures)
{
    TResourceLibrary library(testsupport::binDir());
    TPicture splash;
    ASSERT_TRUE(loadBitmapResource(library, QStringLiteral("SPLASH"), splash));
    ASSERT_NE(dynamic_cast<TBitmap*>(splash.graphic()), nullptr);
    EXPECT_GT(splash.width(), 0);
    EXPECT_TRUE(m_messages.texts().isEmpty());

    TPicture missing;
    EXPECT_FALSE(loadBitmapResource(library, QStringLiteral("NO_SUCH"), missing));
    EXPECT_EQ(m_messages.texts(), QStringList(QStringLiteral("Could not load Spoolkit.rcc library file.")));
}

} // namespace
