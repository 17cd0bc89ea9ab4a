// The image browser's scan and grid through the real window: order, filter, skipped files, the
// texts of the status bar, sizes and kilobytes, grid geometry and the selected path.
#include "ThumbFixture.h"

#include "app/FrameStrip.h"
#include "widgets/FolderBrowseDialog.h"
#include "widgets/ShellFolderTree.h"
#include "wizards/ThumbGrid.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

namespace {

class ThumbViewerTest : public ThumbFixture
{
};

// Records the status panel's text each time it is painted: what the user saw during a scan.
class TPaintedTexts : public QObject
{
public:
    explicit TPaintedTexts(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint &&
            (texts.isEmpty() || texts.last() != m_label->text()))
            texts << m_label->text();
        return false;
    }
    QStringList texts;

private:
    QLabel* m_label;
};

quint32 crc32Of(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims width x height over one tiny compressed row: decoding it fully
// would take gigabytes.
QByteArray pngBomb(quint32 width, quint32 height)
{
    auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray out(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), out.data());
        const QByteArray typed = QByteArray(type) + data;
        out += typed;
        QByteArray crc(4, '\0');
        qToBigEndian<quint32>(crc32Of(typed), crc.data());
        return out + crc;
    };
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 2; // RGB
    const QByteArray row(1 + 3 * 64, '\0');
    QByteArray idat = qCompress(row).mid(4); // zlib stream without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) + chunk("IEND", {});
}

TEST_F(ThumbViewerTest, ScanListsPicturesInNameOrderSkippingWhatIsNoPicture)
{
    writePicture(QStringLiteral("b.gif"), 40, 30);
    writePicture(QStringLiteral("A.PNG"), 20, 10);
    writePicture(QStringLiteral("c.Jpg"), 30, 30);
    writePicture(QStringLiteral("d.bmp"), 10, 20);
    writeBytes(QStringLiteral("corrupt.png"), QByteArray(300, 'x'));
    writeBytes(QStringLiteral("bomb.png"), pngBomb(40000, 40000));
    writePicture(QStringLiteral(".hidden.png"), 10, 10);
    writeBytes(QStringLiteral("notes.txt"), "text");
    writeBytes(QStringLiteral(".png"), "no name before the extension");
    QDir(folder()).mkdir(QStringLiteral("folder.png"));

    TfrmThumbWin& window = start();
    ASSERT_TRUE(window.isVisible());
    QCoreApplication::processEvents();
    TPaintedTexts painted(main().statusPanel(2));
    window.loadThumbnails(m_folder.path());

    EXPECT_EQ(recordNames(), (QStringList{"A.PNG", "b.gif", "c.Jpg", "d.bmp"}));
    // Six names were found (the bomb and the corrupt file among them), so six steps.
    const QStringList expected{"Scanning Folder for images...",
                               "Scanning folder for images... 16% Complete",
                               "Scanning folder for images... 33% Complete",
                               "Scanning folder for images... 50% Complete",
                               "Scanning folder for images... 66% Complete",
                               "Scanning folder for images... 83% Complete",
                               "Scanning folder for images... 100% Complete"};
    EXPECT_EQ(painted.texts, expected) << painted.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window.currentFolderLabel()->text(), QStringLiteral("Current Folder: ") + folder());
    EXPECT_FALSE(main().progressBar()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window.record(0).height, 10);
    EXPECT_EQ(window.record(0).width, 20);
    EXPECT_TRUE(m_messages.recorded().empty());
}

TEST_F(ThumbViewerTest, FilterPicksOneTypeAllOrNone)
{
    writePicture(QStringLiteral("b.gif"), 10, 10);
    writePicture(QStringLiteral("a.GIF"), 10, 10);
    writePicture(QStringLiteral("c.png"), 10, 10);
    writePicture(QStringLiteral("d.jif"), 10, 10);
    start();
    const struct
    {
        int filter;
        QStringList names;
    } cases[] = {
        {0, {"a.GIF", "b.gif"}},
        {11, {"c.png"}},
        {3, {"d.jif"}},
        {19, {"a.GIF", "b.gif", "c.png", "d.jif"}},
        {18, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        main().state().filterType = c.filter;
        browser().loadThumbnails(folder());
        EXPECT_EQ(recordNames(), c.names) << c.filter;
        if (c.names.isEmpty()) {
            EXPECT_EQ(statusText(), QStringLiteral("Sorry no images found in ") + folder()) << c.filter;
        }
    }
}

TEST_F(ThumbViewerTest, EmptyFolderAndInvalidPath)
{
    writePicture(QStringLiteral("a.png"), 10, 10);
    TfrmThumbWin& window = start();
    window.loadThumbnails(folder());
    ASSERT_EQ(window.thumbnailCount(), 1);

    QTemporaryDir empty;
    window.loadThumbnails(empty.path());
    EXPECT_EQ(window.thumbnailCount(), 0);
    EXPECT_EQ(statusText(), QStringLiteral("Sorry no images found in ") + empty.path() + QLatin1Char('/'));
    EXPECT_EQ(window.grid()->columnCount(), 1);
    EXPECT_EQ(window.grid()->rowCount(), 1);

    window.loadThumbnails(folder());
    const QString missing = folder() + QStringLiteral("gone");
    window.loadThumbnails(missing);
    EXPECT_EQ(m_messages.texts(),
              QStringList{missing + QStringLiteral("/ does not appear to be a valid path.")});
    EXPECT_EQ(m_messages.recorded().front().type, TMsgType::Information);
    EXPECT_EQ(window.thumbnailCount(), 1) << "a bad path leaves the thumbnails alone";

    m_messages.clear();
    window.loadThumbnails(QString());
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_EQ(window.thumbnailCount(), 1);
}

TEST_F(ThumbViewerTest, KilobytesInTheStatusTextOfAPressedThumbnail)
{
    const struct
    {
        const char* name;
        qint64 size;
        int kilobytes;
    } cases[] = {
        {"a1024.bmp", 1024, 1}, {"b1025.bmp", 1025, 1}, {"c2047.bmp", 2047, 1}, {"d2048.bmp", 2048, 2}};
    for (const auto& c : cases)
        writeBmpOfSize(QString::fromLatin1(c.name), c.size);
    TfrmThumbWin& window = start();
    window.loadThumbnails(folder());
    ASSERT_EQ(window.thumbnailCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.record(i).kilobytes, cases[i].kilobytes) << cases[i].name;
        const QRect cell =
            window.grid()->cellRect(i % window.grid()->columnCount(), i / window.grid()->columnCount());
        QTest::mousePress(window.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(window.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_EQ(statusText(), QStringLiteral("%1 - (8 x 8) %2KB")
                                    .arg(QString::fromLatin1(cases[i].name))
                                    .arg(cases[i].kilobytes));
        EXPECT_TRUE(
            window.thumbnailMenu()->findChild<QAction*>(QStringLiteral("mniThumbsInsert"))->isEnabled());
    }
    // A press beside the thumbnails disables the commands that need one.
    window.grid()->setGridSize(window.grid()->columnCount(), 3);
    const QRect empty = window.grid()->cellRect(0, 2);
    QTest::mousePress(window.grid()->viewport(), Qt::RightButton, {}, empty.center());
    for (const char* name :
         {"mniThumbsInsert", "mniThumbsEdit", "mniThumbsCopy", "mniThumbOpen", "mniThumbsProperties"})
        EXPECT_FALSE(window.thumbnailMenu()->findChild<QAction*>(QString::fromLatin1(name))->isEnabled())
            << name;
    EXPECT_TRUE(window.selectedThumbnailPath().isEmpty());
}

TEST_F(ThumbViewerTest, PicturesAreShrunkOnlyAboveTheEdgePlusOneAndCentred)
{
    const QRgb red = qRgb(200, 30, 40);
    writePicture(QStringLiteral("a_wide.png"), 300, 150, red);
    writePicture(QStringLiteral("b_tall.png"), 150, 300, red);
    writePicture(QStringLiteral("c_76.png"), 76, 76, red);
    writePicture(QStringLiteral("d_line.png"), 1000, 1, red);
    writePicture(QStringLiteral("e_big.jpg"), 1600, 1200, qRgb(0, 0, 255));
    TfrmThumbWin& window = start();
    ASSERT_EQ(main().state().thumbnailSize, 75);
    window.loadThumbnails(folder());
    ASSERT_EQ(window.thumbnailCount(), 5);
    const QColor background = window.palette().color(QPalette::Window);
    auto isRed = [&](const QImage& image, int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return std::abs(c.red() - 200) < 12 && std::abs(c.green() - 30) < 12 && std::abs(c.blue() - 40) < 12;
    };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window.thumbnail(i).size(), QSize(75, 75));

    // 300 x 150 -> 75 x 37 at offset 19.
    const QImage& wide = window.thumbnail(0);
    EXPECT_EQ(wide.pixelColor(37, 18), background);
    EXPECT_TRUE(isRed(wide, 37, 19));
    EXPECT_TRUE(isRed(wide, 37, 55));
    EXPECT_EQ(wide.pixelColor(37, 56), background);
    EXPECT_EQ(window.record(0).height, 150);
    EXPECT_EQ(window.record(0).width, 300);
    // 150 x 300 -> 37 x 75 at offset 19 across.
    const QImage& tall = window.thumbnail(1);
    EXPECT_EQ(tall.pixelColor(18, 37), background);
    EXPECT_TRUE(isRed(tall, 19, 37));
    EXPECT_TRUE(isRed(tall, 55, 37));
    EXPECT_EQ(tall.pixelColor(56, 37), background);
    // 76 x 76 is not shrunk: it fills the whole square (one pixel cut off).
    EXPECT_TRUE(isRed(window.thumbnail(2), 0, 0));
    EXPECT_TRUE(isRed(window.thumbnail(2), 74, 74));
    // 1000 x 1 keeps one row instead of vanishing.
    EXPECT_TRUE(isRed(window.thumbnail(3), 37, 37));
    EXPECT_EQ(window.thumbnail(3).pixelColor(37, 36), background);
    EXPECT_EQ(window.record(3).height, 1);
    EXPECT_EQ(window.record(3).width, 1000);
    // A large JPEG: 1600 x 1200 -> 75 x 56 at offset 9.
    EXPECT_EQ(window.thumbnail(4).pixelColor(37, 8), background);
    EXPECT_GT(window.thumbnail(4).pixelColor(37, 9).blue(), 200);
    EXPECT_EQ(window.record(4).width, 1600);
}

TEST_F(ThumbViewerTest, GridGeometryFollowsFontAndEdge)
{
    for (int i = 0; i < 7; ++i)
        writePicture(QStringLiteral("p%1.png").arg(i), 10, 10);
    TfrmThumbWin& window = start();
    window.setExplorerVisible(false);
    const int cell = 2 * window.fontMetrics().height() + 75 + 14;
    // Make the grid's client area hold three columns and a half.
    for (int tries = 0; tries < 5 && window.grid()->viewport()->width() != cell * 7 / 2; ++tries) {
        window.resize(window.width() + cell * 7 / 2 - window.grid()->viewport()->width(), 400);
        QCoreApplication::processEvents();
    }
    window.loadThumbnails(folder());
    EXPECT_EQ(window.grid()->columnWidth(), cell);
    EXPECT_EQ(window.grid()->rowHeight(), cell);
    EXPECT_EQ(window.grid()->columnCount(), 3);
    EXPECT_EQ(window.grid()->rowCount(), 3);

    // index = row x columns + column.
    window.grid()->setCurrentCell(0, 2);
    EXPECT_EQ(window.selectedThumbnailPath(), path(QStringLiteral("p6.png")));
    EXPECT_EQ(statusText(), QStringLiteral("p6.png - (10 x 10) 1KB"));
    window.grid()->setCurrentCell(1, 2);
    EXPECT_TRUE(window.selectedThumbnailPath().isEmpty());

    // A larger edge from the options makes larger cells on the next scan.
    main().state().thumbnailSize = 150;
    window.loadThumbnails(folder());
    EXPECT_EQ(window.grid()->columnWidth(), 2 * window.fontMetrics().height() + 150 + 14);
    EXPECT_EQ(window.thumbnail(0).size(), QSize(150, 150));
}

TEST_F(ThumbViewerTest, SelectedPathComesFromTheFolderTheThumbnailsWereLoadedFrom)
{
    writePicture(QStringLiteral("a.png"), 10, 10);
    QTemporaryDir other;
    writePicture(QStringLiteral("a.png"), 20, 20, qRgb(0, 0, 0), other.path());
    TfrmThumbWin& window = start();
    window.setFolder(m_folder.path());
    ASSERT_EQ(window.thumbnailCount(), 1) << "a tree move of the shown window loads the folder";
    EXPECT_EQ(QDir::cleanPath(main().state().thumbDirectory), QDir::cleanPath(m_folder.path()));

    // The tree moves while the window is hidden: nothing loads, the commands stay on a.png here.
    window.hide();
    window.setFolder(other.path());
    EXPECT_EQ(window.folder(), QDir::cleanPath(other.path()));
    EXPECT_EQ(window.selectedThumbnailPath(), path(QStringLiteral("a.png")));

    // Loading another folder directly (as automation does) leaves the tree where it is.
    window.show();
    QTemporaryDir third;
    writePicture(QStringLiteral("z.png"), 30, 30, qRgb(0, 0, 0), third.path());
    window.loadThumbnails(third.path());
    EXPECT_EQ(window.selectedThumbnailPath(), third.path() + QStringLiteral("/z.png"));
}

TEST_F(ThumbViewerTest, TreeMovesLoadOnceAndAMissingFolderFallsBackToHome)
{
    writePicture(QStringLiteral("a.png"), 10, 10);
    TfrmThumbWin& window = start();
    window.setFolder(m_folder.path());
    ASSERT_EQ(window.thumbnailCount(), 1);
    // Selecting the loaded folder again does not reload it.
    writePicture(QStringLiteral("b.png"), 10, 10);
    window.setFolder(folder());
    EXPECT_EQ(window.thumbnailCount(), 1);
    window.tree()->setFolder(m_folder.path());
    EXPECT_EQ(window.thumbnailCount(), 1);
    // Refresh does.
    main().action(TActionId::ThumbsRefresh)->trigger();
    EXPECT_EQ(window.thumbnailCount(), 2);

    window.hide();
    window.tree()->setFolder(folder() + QStringLiteral("no-such-folder"));
    EXPECT_EQ(window.folder(), QDir::cleanPath(QDir::homePath()));
}

TEST_F(ThumbViewerTest, ClearWindowEmptiesTheGridAndTheMenuFollowsTheRecords)
{
    writePicture(QStringLiteral("a.png"), 10, 10);
    writePicture(QStringLiteral("b.png"), 10, 10);
    TfrmThumbWin& window = start();
    window.loadThumbnails(folder());
    window.selectThumbnail(1);
    ASSERT_FALSE(window.selectedThumbnailPath().isEmpty());
    QAction* clear = window.thumbnailMenu()->findChild<QAction*>(QStringLiteral("mniThumbsClear"));
    emit window.thumbnailMenu()->aboutToShow();
    EXPECT_TRUE(clear->isEnabled());

    main().action(TActionId::ThumbsClear)->trigger();
    EXPECT_EQ(window.thumbnailCount(), 0);
    EXPECT_EQ(window.grid()->columnCount(), 1);
    EXPECT_EQ(window.grid()->rowCount(), 1);
    EXPECT_EQ(window.grid()->currentColumn(), 0);
    EXPECT_TRUE(window.selectedThumbnailPath().isEmpty());
    emit window.thumbnailMenu()->aboutToShow();
    EXPECT_FALSE(clear->isEnabled());
}

TEST_F(ThumbViewerTest, ThumbViewBrowseAndExplorerButton)
{
    writePicture(QStringLiteral("a.png"), 10, 10);
    TfrmThumbWin& window = start();
    QAction* view = main().action(TActionId::ThumbView);
    ASSERT_TRUE(view->isChecked());

    view->trigger();
    EXPECT_FALSE(window.isVisible());
    // Checked again with nothing loaded: the remembered folder is loaded.
    main().state().thumbDirectory = m_folder.path();
    view->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.thumbnailCount(), 1);

    // Browse: the chosen folder is selected in the tree, which loads it.
    QTemporaryDir other;
    writePicture(QStringLiteral("x.png"), 10, 10, qRgb(1, 2, 3), other.path());
    writePicture(QStringLiteral("y.png"), 10, 10, qRgb(1, 2, 3), other.path());
    m_messages.pushFolder(other.path());
    main().action(TActionId::ThumbsBrowse)->trigger();
    EXPECT_EQ(window.thumbnailCount(), 2);
    EXPECT_EQ(window.folder(), QDir::cleanPath(other.path()));
    // Cancelled: the dialog gets the tree's folder back.
    window.browseDialog().setFolder(QStringLiteral("/elsewhere"));
    // GCC cannot follow an empty optional<QString> through the inlined copy at -O1 and calls it
    // "maybe uninitialized"; it is not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    m_messages.pushFolder(std::nullopt);
#pragma GCC diagnostic pop
    main().action(TActionId::ThumbsBrowse)->trigger();
    EXPECT_EQ(window.browseDialog().folder(), QDir::cleanPath(other.path()));

    // The explorer button hides the tree and the menu item follows.
    QAction* explorer = main().action(TActionId::mniExplorerTree);
    window.explorerButton()->click();
    EXPECT_FALSE(window.tree()->isVisible());
    EXPECT_FALSE(explorer->isChecked());
    window.explorerButton()->click();
    EXPECT_TRUE(window.tree()->isVisible());
    EXPECT_TRUE(explorer->isChecked());
}

TEST_F(ThumbViewerTest, WindowSettingsSurviveARestart)
{
    TfrmThumbWin& window = start();
    window.move(123, 234);
    window.resize(640, 300);
    window.setExplorerVisible(false);
    m_program.reset();
    {
        TSettingsBatch s;
        using namespace SettingKeys;
        EXPECT_EQ(s.readInteger(ThumbLeft), 123);
        EXPECT_EQ(s.readInteger(ThumbTop), 234);
        EXPECT_EQ(s.readInteger(ThumbWindowWidth), 640);
        EXPECT_EQ(s.readInteger(ThumbWindowHeight), 300);
        EXPECT_EQ(s.readInteger(ThumbExplorerVisible), 0);
        EXPECT_EQ(s.readInteger(ThumbVisible), 1);
    }
    TfrmThumbWin& again = start();
    EXPECT_EQ(again.pos(), QPoint(123, 234));
    EXPECT_EQ(again.size(), QSize(640, 300));
    EXPECT_FALSE(again.explorerVisible());
    EXPECT_FALSE(main().action(TActionId::mniExplorerTree)->isChecked());
}

TEST_F(ThumbViewerTest, ThumbnailDragCarriesThePathTheStripTakes)
{
    writePicture(QStringLiteral("a b.png"), 10, 10);
    TfrmThumbWin& window = start();
    window.loadThumbnails(folder());
    std::unique_ptr<QMimeData> data(window.dragData(0));
    ASSERT_TRUE(data);
    EXPECT_EQ(thumbnailPathFromMime(data.get()), path(QStringLiteral("a b.png")));
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls().front().toLocalFile(), path(QStringLiteral("a b.png")));
    EXPECT_EQ(window.dragData(1), nullptr);
    EXPECT_TRUE(thumbnailPathFromMime(nullptr).isEmpty());

    TFrameStrip* strip = main().frameStrip();
    QStringList dropped;
    QObject::connect(strip, &TFrameStrip::thumbnailDropped, strip, [&dropped](int, const QMimeData* carried) {
        dropped << thumbnailPathFromMime(carried);
    });
    const QPointF pos(10, 10);
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(pos, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip->viewport(), &drop);
    EXPECT_EQ(dropped, QStringList{path(QStringLiteral("a b.png"))});
}

} // namespace
