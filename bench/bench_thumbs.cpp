// The image browser's scan of a generated folder of 500 mixed pictures (GIF, PNG, JPEG, BMP; 64 x
// 64 to 4000 x 3000): time until the first thumbnail is painted, total scan time, peak memory,
// whether the status text and the grid repaint during the scan, and the same scan again with the
// desktop thumbnail cache filled by the first. The peer is ImageMagick making the same 75-pixel
// thumbnails: convert once per file as a shell loop would, and mogrify over the folder in one
// process. Each scan runs in a child process of its own so its peak memory is its own.
// Peak memory is the growth of the scanning process's resident size during the scan (the kernel's
// high-water mark, reset before the scan); the 500 thumbnails themselves hold about 11 MB.
//
// Peak memory is shown for folders of only the smallest and only the largest pictures as well:
// with reduced-size decoding it should not follow the pictures' sizes.
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/ImagingControl.h"
#include "wizards/ThumbCache.h"
#include "wizards/ThumbGrid.h"
#include "wizards/ThumbViewer.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int kPictureCount = 500;
constexpr int kEdge = 75;

QSize pictureSize(int i)
{
    // Few very large pictures keep the folder quick to make; they are what memory is judged by.
    if (i % 100 == 0)
        return {4000, 3000};
    if (i % 20 == 5)
        return {1600, 1200};
    static const QSize sizes[] = {{64, 64}, {200, 150}, {320, 240}, {640, 480}, {800, 600}, {1024, 768}};
    return sizes[i % 6];
}

const char* pictureType(int i)
{
    static const char* const types[] = {"jpg", "png", "gif", "bmp"};
    // Very large GIFs are rare; the 4000 x 3000 pictures are JPEG, PNG and BMP in turn.
    if (pictureSize(i).width() > 2000)
        return types[(i / 100) % 2 == 0 ? (i / 200 == 2 ? 3 : 0) : 1];
    return types[(i / 3) % 4];
}

QImage makePicture(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 180, 230));
    gradient.setColorAt(1, QColor::fromHsv((seed * 53 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 6; ++k) {
        painter.setBrush(QColor::fromHsv((seed * 11 + k * 60) % 360, 220, 200));
        painter.drawEllipse(QRectF(size.width() * (k % 3) / 3.0, size.height() * (k / 3) / 2.0,
                                   size.width() / 3.0, size.height() / 2.0));
    }
    return image;
}

bool writePicture(const QString& path, const QImage& image, const char* type)
{
    if (qstrcmp(type, "gif") == 0) {
        TGIFImage gif;
        TBitmap bitmap;
        bitmap.fromImage(image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
        TEditSession session;
        return session.importBitmapAsFrame(gif, bitmap) >= 0 && saveGIFFile(gif, path, true, true);
    }
    return image.save(path, type, qstrcmp(type, "jpg") == 0 ? 85 : (qstrcmp(type, "png") == 0 ? 10 : -1));
}

// The folder is made once and kept in the temporary folder for later runs.
QString benchFolder()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/reelwright-bench-thumbs-v2");
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/small"));
    QDir().mkpath(folder + QStringLiteral("/large"));
    QElapsedTimer timer;
    timer.start();
    qint64 bytes = 0;
    for (int i = 0; i < kPictureCount; ++i) {
        const QSize size = pictureSize(i);
        const char* type = pictureType(i);
        const QString name = QStringLiteral("Pic%1_%2x%3.%4")
                                 .arg(i, 3, 10, QLatin1Char('0'))
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(QString::fromLatin1(type).toUpper().left(i % 2 ? 3 : 0) +
                                      QString::fromLatin1(type).mid(i % 2 ? 3 : 0));
        const QString path = folder + QLatin1Char('/') + name;
        if (!writePicture(path, makePicture(size, i), type)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            return {};
        }
        bytes += QFileInfo(path).size();
        // The subsets for the memory comparison: links, so nothing is written twice.
        if (size == QSize(64, 64) || size == QSize(4000, 3000))
            QFile::link(
                path,
                folder + (size.width() == 64 ? QStringLiteral("/small/") : QStringLiteral("/large/")) + name);
    }
    QFile(done).open(QIODevice::WriteOnly);
    std::printf("generated %d pictures (%.1f MB) in %.1f s into %s\n", kPictureCount, bytes / 1048576.0,
                timer.elapsed() / 1000.0, qPrintable(folder));
    return folder;
}

class TBenchHost : public IThumbHost
{
public:
    TBenchHost(QLabel* status, QProgressBar* bar) : m_status(status), m_bar(bar) {}
    void setStatusText(const QString& text) override
    {
        if (m_status->text() == text)
            return;
        m_status->setText(text);
        m_status->repaint();
    }
    void showProgress(int maximum) override
    {
        m_bar->setRange(0, maximum);
        m_bar->show();
    }
    void setProgress(int value) override
    {
        const QString shown = m_bar->text();
        m_bar->setValue(value);
        if (m_bar->text() != shown)
            m_bar->repaint();
    }
    void hideProgress() override { m_bar->hide(); }
    int thumbnailSize() const override { return kEdge; }
    int filterType() const override { return kThumbFilterAll; }
    QString rememberedFolder() const override { return m_remembered; }
    void setRememberedFolder(const QString& folder) override { m_remembered = folder; }
    int insertThumbnailFile(const QString&) override { return -1; }
    void openThumbnailFile(const QString&) override {}
    void clipboardChanged() override {}
    QStringList favoriteFolders() const override { return {}; }
    bool addFavorite(const QString&) override { return false; }
    void removeFavorite(const QString&) override {}
    void organizeFavorites() override {}
    void showImageProperties(const TImagePropertiesRequest&) override {}
    QAction* mainAction(const QString&) const override { return nullptr; }
    QCursor dragCursor() const override { return {}; }

private:
    QLabel* m_status;
    QProgressBar* m_bar;
    QString m_remembered;
};

// Counts paints of a widget and notes when the first one showed a thumbnail.
class TPaintWatch : public QObject
{
public:
    TPaintWatch(QWidget* widget, std::function<bool()> ready) : m_ready(std::move(ready))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_timer) {
            ++paints;
            if (firstMs < 0 && m_ready && m_ready())
                firstMs = m_timer->nsecsElapsed() / 1e6;
        }
        return false;
    }
    void start(QElapsedTimer* timer) { m_timer = timer; }
    int paints = 0;
    double firstMs = -1;

private:
    std::function<bool()> m_ready;
    QElapsedTimer* m_timer = nullptr;
};

long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// One scan in this process; prints "first total count peakKB statusPaints gridPaints".
int runScan(const QString& folder, const QString& cacheRoot)
{
    TEditSession session;
    QWidget statusWindow;
    auto* layout = new QVBoxLayout(&statusWindow);
    auto* status = new QLabel(&statusWindow);
    auto* bar = new QProgressBar(&statusWindow);
    layout->addWidget(status);
    layout->addWidget(bar);
    statusWindow.resize(400, 60);
    statusWindow.show();
    TfrmThumbWin window(session, nullptr);
    window.setHost(std::make_unique<TBenchHost>(status, bar));
    window.setThumbnailCache(cacheRoot.isEmpty() ? nullptr : std::make_shared<TThumbnailCache>(cacheRoot));
    window.resize(900, 600);
    window.show();
    QCoreApplication::processEvents();
    TPaintWatch gridWatch(window.grid()->viewport(), [&window] { return window.thumbnailCount() > 0; });
    TPaintWatch statusWatch(status, {});
    // The scan's own peak: the kernel's high-water mark is reset to the present size first.
    const long before = statusKb("VmRSS:");
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    QElapsedTimer timer;
    timer.start();
    gridWatch.start(&timer);
    statusWatch.start(&timer);
    window.loadThumbnails(folder);
    const double totalMs = timer.nsecsElapsed() / 1e6;
    std::printf("%.1f %.1f %d %ld %d %d\n", gridWatch.firstMs, totalMs, window.thumbnailCount(),
                statusKb("VmHWM:") - before, statusWatch.paints, gridWatch.paints);
    return 0;
}

// The window as a user sees it after choosing the folder in the tree, saved as a picture.
int saveScreenshot(const QString& folder, const QString& out)
{
    TEditSession session;
    QWidget statusWindow;
    auto* status = new QLabel(&statusWindow);
    auto* bar = new QProgressBar(&statusWindow);
    TfrmThumbWin window(session, nullptr);
    window.setHost(std::make_unique<TBenchHost>(status, bar));
    window.resize(760, 340);
    window.show();
    QCoreApplication::processEvents();
    window.setFolder(folder);
    window.selectThumbnail(1);
    QCoreApplication::processEvents();
    return window.grab().save(out) ? 0 : 1;
}

struct TScanFigures
{
    double firstMs = -1, totalMs = -1;
    int count = 0;
    long peakKb = 0;
    int statusPaints = 0, gridPaints = 0;
};

TScanFigures scanInChild(const QString& folder, const QString& cacheRoot)
{
    QProcess child;
    QStringList arguments{QStringLiteral("--scan"), folder};
    if (!cacheRoot.isEmpty())
        arguments << QStringLiteral("--cache") << cacheRoot;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    TScanFigures figures;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() == 6) {
        figures.firstMs = fields[0].toDouble();
        figures.totalMs = fields[1].toDouble();
        figures.count = fields[2].toInt();
        figures.peakKb = fields[3].toLong();
        figures.statusPaints = fields[4].toInt();
        figures.gridPaints = fields[5].toInt();
    } else {
        std::fprintf(stderr, "scan child failed: %s\n", child.readAllStandardError().constData());
    }
    return figures;
}

QString imageMagick(const char* tool)
{
    // The Debian binaries themselves, not whatever wrapper may sit earlier on the path.
    const QString direct =
        QStandardPaths::findExecutable(QStringLiteral("%1-im6.q16").arg(QLatin1String(tool)));
    return direct.isEmpty() ? QStandardPaths::findExecutable(QLatin1String(tool)) : direct;
}

double convertLoopSeconds(const QStringList& files, const QString& out)
{
    const QString convert = imageMagick("convert");
    QElapsedTimer timer;
    timer.start();
    int failures = 0;
    for (int i = 0; i < files.size(); ++i) {
        QProcess process;
        process.start(convert, {files[i] + QStringLiteral("[0]"), QStringLiteral("-thumbnail"),
                                QStringLiteral("%1x%1").arg(kEdge), out + QStringLiteral("/t%1.png").arg(i)});
        process.waitForFinished(-1);
        failures += process.exitCode() != 0;
    }
    if (failures)
        std::printf("  (convert failed on %d files)\n", failures);
    return timer.nsecsElapsed() / 1e9;
}

double mogrifySeconds(const QStringList& files, const QString& out)
{
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    QStringList arguments{QStringLiteral("-path"),      out,
                          QStringLiteral("-format"),    QStringLiteral("png"),
                          QStringLiteral("-thumbnail"), QStringLiteral("%1x%1").arg(kEdge)};
    arguments += files;
    process.start(imageMagick("mogrify"), arguments);
    process.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initializeImaging();
    const QStringList arguments = app.arguments();
    if (arguments.size() >= 4 && arguments[1] == QStringLiteral("--screenshot"))
        return saveScreenshot(arguments[2], arguments[3]);
    if (arguments.size() >= 3 && arguments[1] == QStringLiteral("--scan"))
        return runScan(arguments[2], arguments.size() >= 5 ? arguments[4] : QString());

    const QString folder = benchFolder();
    if (folder.isEmpty())
        return 1;
    QStringList files;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        files << folder + QLatin1Char('/') + name;
    QTemporaryDir cache;

    const TScanFigures cold = scanInChild(folder, cache.path() + QStringLiteral("/thumbnails"));
    const TScanFigures warm = scanInChild(folder, cache.path() + QStringLiteral("/thumbnails"));
    const TScanFigures plain = scanInChild(folder, {});
    const TScanFigures small = scanInChild(folder + QStringLiteral("/small"), {});
    const TScanFigures large = scanInChild(folder + QStringLiteral("/large"), {});

    std::printf("image browser scan of %d pictures (%d thumbnails), edge %d, %d worker threads\n",
                int(files.size()), cold.count, kEdge, QThread::idealThreadCount());
    auto line = [&](const char* what, const TScanFigures& f) {
        std::printf("  %-34s first thumbnail %7.1f ms  total %8.1f ms  peak growth %6.1f MB  repaints: "
                    "status %d, grid %d\n",
                    what, f.firstMs, f.totalMs, f.peakKb / 1024.0, f.statusPaints, f.gridPaints);
    };
    line("first scan, cache filled:", cold);
    line("second scan, from the cache:", warm);
    line("scan without the cache:", plain);
    line("only the 64x64 pictures:", small);
    line("only the 4000x3000 pictures:", large);

    if (qEnvironmentVariableIsSet("REELWRIGHT_BENCH_NO_PEERS")) {
        std::printf("second scan is %.1fx faster than the first\n", cold.totalMs / warm.totalMs);
        return 0;
    }
    QTemporaryDir convertOut;
    QTemporaryDir mogrifyOut;
    const double convertSeconds = convertLoopSeconds(files, convertOut.path());
    const double mogrify = mogrifySeconds(files, mogrifyOut.path());
    std::printf(
        "ImageMagick: convert -thumbnail per file %.1f ms, mogrify -thumbnail over the folder %.1f ms\n",
        convertSeconds * 1000, mogrify * 1000);
    std::printf("ratio ours / convert loop: first scan %.2f, without cache %.2f, second scan %.3f\n",
                cold.totalMs / (convertSeconds * 1000), plain.totalMs / (convertSeconds * 1000),
                warm.totalMs / (convertSeconds * 1000));
    std::printf("ratio ours / mogrify:      first scan %.2f, without cache %.2f, second scan %.3f\n",
                cold.totalMs / (mogrify * 1000), plain.totalMs / (mogrify * 1000),
                warm.totalMs / (mogrify * 1000));
    std::printf("second scan is %.1fx faster than the first\n", cold.totalMs / warm.totalMs);
    return 0;
}
