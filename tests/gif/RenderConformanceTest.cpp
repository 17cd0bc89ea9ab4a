// The composed frames of the conformance suites' animations against their expected pictures,
// pixel for pixel. Expected pixels that are transparent must show what the canvas held before
// (the engine composes onto the target instead of into an alpha channel). Where the engine's
// rules differ from a suite's by design, the difference is listed and checked to stay as it is.
#include "support/TestSupport.h"
#include "GIFTestUtil.h"

#include "gif/GIFExtensions.h"
#include "gif/GIFPainter.h"
#include "graphics/Streams.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr QRgb Key = 0xFF123456;

QString conformanceDir()
{
    return testsupport::sharedTestData(QStringLiteral("gif/conformance"));
}

struct Shown
{
    QImage picture;
    bool delayed; // the frame carries a delay of its own
};

std::vector<Shown> playComposed(const QString& fileName, QString* error)
{
    std::vector<Shown> shown;
    try {
        TGIFImage image;
        TMemoryStream stream;
        stream.loadFromFile(fileName);
        image.loadFromStream(stream);
        gifPlayFrames(image, rgbToColor(Key), [&](int index, const QImage& picture) {
            const TGIFGraphicControlExtension* gce =
                image.images().subImage(index)->graphicControlExtension();
            shown.push_back({picture.convertToFormat(QImage::Format_ARGB32), gce && gce->delay() > 0});
        });
    } catch (const std::exception& e) {
        *error = QString::fromLocal8Bit(e.what());
    }
    return shown;
}

// Differences of one composed frame against its expectation; empty when equal.
QString compare(const QImage& expected, const QImage& actual)
{
    if (expected.size() != actual.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    int wrong = 0;
    QPoint first;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            const QRgb got = actual.pixel(x, y) | 0xFF000000u;
            const bool ok = qAlpha(want) == 0 ? got == Key : (want | 0xFF000000u) == got;
            if (!ok && wrong++ == 0)
                first = QPoint(x, y);
        }
    }
    if (wrong == 0)
        return QString();
    return QStringLiteral("%1 pixels differ, first at %2,%3: %4 expected %5")
        .arg(wrong)
        .arg(first.x())
        .arg(first.y())
        .arg(actual.pixel(first) | 0xFF000000u, 8, 16)
        .arg(expected.pixel(first), 8, 16);
}

struct SuiteCase
{
    QString name;
    QString gif;
    std::vector<QImage> expected;
};

std::map<QString, QString> readConf(const QString& fileName, std::vector<std::map<QString, QString>>& frames)
{
    std::map<QString, QString> config;
    std::map<QString, std::map<QString, QString>> sections;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return config;
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        sections[section][line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    config = sections["config"];
    for (const QString& name : config["frames"].split(',', Qt::SkipEmptyParts))
        frames.push_back(sections[name.trimmed()]);
    return config;
}

std::vector<SuiteCase> pygifCases()
{
    std::vector<SuiteCase> cases;
    const QDir dir(conformanceDir() + "/pygif");
    for (const QString& conf : dir.entryList({"*.conf"}, QDir::Files, QDir::Name)) {
        std::vector<std::map<QString, QString>> frames;
        auto config = readConf(dir.filePath(conf), frames);
        if (frames.empty())
            continue;
        SuiteCase c{"pygif/" + conf.chopped(5), dir.filePath(config["input"]), {}};
        const int width = config["width"].toInt();
        const int height = config["height"].toInt();
        for (auto& frame : frames) {
            if (frame.count("image")) {
                c.expected.push_back(
                    QImage(dir.filePath(frame["image"])).convertToFormat(QImage::Format_ARGB32));
                continue;
            }
            QFile pixels(dir.filePath(frame["pixels"]));
            pixels.open(QIODevice::ReadOnly);
            const QByteArray rgba = pixels.readAll();
            QImage picture(width, height, QImage::Format_ARGB32);
            for (int i = 0; i < width * height && (i + 1) * 4 <= rgba.size(); ++i) {
                const auto* p = reinterpret_cast<const uint8_t*>(rgba.constData() + i * 4);
                picture.setPixel(i % width, i / width, qRgba(p[0], p[1], p[2], p[3]));
            }
            c.expected.push_back(picture);
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

std::vector<SuiteCase> numberedCases(const QString& folder, const QString& framePattern)
{
    // framePattern names frame n of gif base b with %1 = b and %2 = n.
    std::vector<SuiteCase> cases;
    const QDir dir(conformanceDir() + "/" + folder);
    for (const QString& gif : dir.entryList({"*.gif"}, QDir::Files, QDir::Name)) {
        const QString base = gif.chopped(4);
        SuiteCase c{folder + "/" + base, dir.filePath(gif), {}};
        for (int n = 0;; ++n) {
            const QString path = dir.filePath(framePattern.arg(base).arg(n));
            if (!QFile::exists(path))
                break;
            c.expected.push_back(QImage(path).convertToFormat(QImage::Format_ARGB32));
        }
        if (!c.expected.empty())
            cases.push_back(std::move(c));
    }
    return cases;
}

// Where this engine shows something else than a suite expects, and why.
const QString Merged = QStringLiteral(
    "frames without a delay of their own are shown for the default delay; the suite merges them into "
    "the next frame that has a delay, so the pictures are compared at the frames with a delay (and the "
    "last)");
const std::map<QString, QString>& documentedDifferences()
{
    static const std::map<QString, QString> differences = {
        {"pygif/animation-multi-image-explicit-zero-delay", Merged},
        {"pygif/dispose-restore-previous", Merged},
        {"pygif/high-color", Merged},
        {"pygif/images-combine", Merged},
        {"pygif/image-zero-height", "the reader refuses a frame of height 0 whose data runs past the end"},
    };
    return differences;
}

// The shown frames a suite that merges frames without a delay would show.
std::vector<Shown> mergedFrames(const std::vector<Shown>& shown)
{
    std::vector<Shown> result;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i].delayed || i + 1 == shown.size())
            result.push_back(shown[i]);
    return result;
}

TEST(RenderConformance, ComposedFramesMatchTheSuites)
{
    REQUIRE_SHARED_TESTDATA();
    std::vector<SuiteCase> cases = pygifCases();
    for (auto& c : numberedCases("gif-test-suite/gifs", "frames/%1-%2.png"))
        cases.push_back(std::move(c));
    {
        const QDir wuffs(conformanceDir() + "/wuffs");
        SuiteCase c{"wuffs/animated-red-blue", wuffs.filePath("animated-red-blue.gif"), {}};
        for (int n = 0; QFile::exists(
                 wuffs.filePath(QStringLiteral("animated-red-blue.%1.png").arg(n, 6, 10, QLatin1Char('0'))));
             ++n)
            c.expected.push_back(
                QImage(wuffs.filePath(
                           QStringLiteral("animated-red-blue.%1.png").arg(n, 6, 10, QLatin1Char('0'))))
                    .convertToFormat(QImage::Format_ARGB32));
        cases.push_back(std::move(c));
    }
    ASSERT_GT(cases.size(), 30u);
    std::map<QString, QString> found;
    int frames = 0;
    for (const SuiteCase& c : cases) {
        QString error;
        std::vector<Shown> shown = playComposed(c.gif, &error);
        const auto documented = documentedDifferences().find(c.name);
        const bool merged = documented != documentedDifferences().end() && documented->second == Merged;
        if (merged) {
            // The difference itself stays as documented: more frames shown than expected ...
            EXPECT_GT(shown.size(), c.expected.size()) << c.name.toStdString();
            found[c.name] = Merged;
            shown = mergedFrames(shown); // ... and at the merged frames the pictures agree
        }
        QString problem;
        if (!error.isEmpty())
            problem = "load: " + error;
        else if (shown.size() != c.expected.size())
            problem = QStringLiteral("%1 frames shown, %2 expected").arg(shown.size()).arg(c.expected.size());
        for (size_t i = 0; problem.isEmpty() && i < shown.size(); ++i) {
            const QString difference = compare(c.expected[i], shown[i].picture);
            if (!difference.isEmpty())
                problem = QStringLiteral("frame %1: %2").arg(i).arg(difference);
            ++frames;
        }
        if (!problem.isEmpty()) {
            EXPECT_FALSE(merged) << c.name.toStdString() << ": " << problem.toStdString();
            found[c.name] = problem;
        }
    }
    for (const auto& [name, problem] : found)
        EXPECT_TRUE(documentedDifferences().count(name))
            << name.toStdString() << ": " << problem.toStdString();
    for (const auto& [name, reason] : documentedDifferences())
        EXPECT_TRUE(found.count(name))
            << name.toStdString() << " now matches; drop it from the list (" << reason.toStdString() << ")";
    EXPECT_GT(frames, 50);
}

} // namespace
