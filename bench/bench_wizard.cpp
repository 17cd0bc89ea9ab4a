// The wizards at work, through the real dialog and main window on the offscreen platform with a
// fresh settings store:
// 1. the animation wizard building 200 generated 640x480 PNG pictures into an animation: time
//    from pressing Finish to the new document shown, and the process's peak memory meanwhile
//    (goal: under 10 s and under 300 MB; pictures are loaded one at a time);
// 2. the optimization wizard on the largest file of the real corpus: time from leaving page 7 to
//    the results shown, against gifsicle -O2 on the same file in the same run, sizes side by side.
// With --shots DIR it also saves a picture of every wizard page (QWidget::grab) into DIR.
#include "BenchSupport.h"
#include "app/Childwin.h"
#include "app/Main.h"
#include "app/Program.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"
#include "platform/ImagingControl.h"
#include "platform/ScriptedMessageService.h"
#include "wizards/Wizards.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds this process has used, all threads.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Resident-set figures of this process from /proc (kB).
long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Starts a new peak: the kernel sets the high-water mark back to the current size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A photo-like picture: two moving gradients, circles and a band of noise, so that every picture
// needs its own quantisation.
QImage generatedPicture(int index)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 640, 480);
    sky.setColorAt(0, QColor::fromHsv((index * 3) % 360, 180, 240));
    sky.setColorAt(1, QColor::fromHsv((index * 3 + 120) % 360, 200, 90));
    painter.fillRect(picture.rect(), sky);
    for (int c = 0; c < 6; ++c) {
        QRadialGradient ball(
            QPointF(100 + c * 90 + index % 50, 240 + 120 * std::sin((index + c * 20) / 15.0)), 60);
        ball.setColorAt(0, QColor::fromHsv((c * 60 + index) % 360, 255, 255));
        ball.setColorAt(1, Qt::transparent);
        painter.setBrush(ball);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(ball.center(), 60, 60);
    }
    uint32_t seed = uint32_t(index) * 2654435761u + 1;
    for (int y = 400; y < 440; ++y)
        for (int x = 0; x < 640; ++x) {
            seed = seed * 1664525u + 1013904223u;
            picture.setPixel(x, y, qRgb(int(seed >> 24), int((seed >> 16) & 0xFF), int((seed >> 8) & 0xFF)));
        }
    return picture;
}

void press(QPushButton* button)
{
    if (button->isEnabled() && button->isVisible())
        button->click();
}

bool animationWizard(const QString& folder, TScriptedMessageService& messages)
{
    constexpr int kPictures = 200;
    QStringList files;
    std::printf("generating %d pictures of 640x480...\n", kPictures);
    for (int i = 0; i < kPictures; ++i) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("picture%1.png").arg(i, 3, 10, QLatin1Char('0')));
        generatedPicture(i).save(path, "PNG");
        files.append(path);
    }

    TProgramOptions options;
    options.hooks.showWelcomeDialog = [](TfrmMain&) {
    };
    TProgram program(std::move(options));
    program.start();
    TfrmMain& main = *program.mainWindow();
    QCoreApplication::processEvents();

    Clock::time_point finishPressed;
    double cpuAtFinish = 0;
    long baseKb = 0;
    messages.pushForm([&](QDialog& dialog) {
        auto& wizard = static_cast<TfrmWizards&>(dialog);
        for (int i = 0; i < 3; ++i)
            press(wizard.btnNext);
        messages.pushFiles(files);
        press(wizard.btnAddImage);
        press(wizard.btnNext);
        QCoreApplication::processEvents();
        baseKb = statusKb("VmRSS:");
        resetPeak();
        finishPressed = Clock::now();
        cpuAtFinish = cpuSeconds();
        press(wizard.btnNext); // Finish
    });
    main.action(TActionId::FileNew)->trigger();
    QCoreApplication::processEvents();
    const double seconds = secondsSince(finishPressed);
    const double cpu = cpuSeconds() - cpuAtFinish;
    const long peakKb = statusKb("VmHWM:");
    const int frames = program.session().workingImage().images().count();
    TMDIChild* view = main.viewOf(program.session().documents().active());
    const bool shown = view && view->isVisible();
    std::printf("animation wizard, %d pictures 640x480 -> %d frames, document shown: %s\n", kPictures, frames,
                shown ? "yes" : "NO");
    std::printf(
        "  Finish to document shown: %.2f s wall, %.2f s CPU (goal 10 s, ratio %.2f wall, %.2f CPU)\n",
        seconds, cpu, seconds / 10.0, cpu / 10.0);
    std::printf("  peak resident memory: %.1f MB (before Finish %.1f MB; goal 300 MB, ratio %.2f)\n",
                peakKb / 1024.0, baseKb / 1024.0, peakKb / 1024.0 / 300.0);
    for (const QString& file : files)
        QFile::remove(file);
    return frames == kPictures && shown;
}

QString largestRealFile()
{
    QString largest;
    qint64 size = -1;
    for (const QString& file : bench::realCorpus())
        if (QFileInfo(file).size() > size) {
            size = QFileInfo(file).size();
            largest = file;
        }
    return largest;
}

bool optimizationWizard(const QString& folder, TScriptedMessageService& messages)
{
    const QString file = largestRealFile();
    TGIFImage image;
    if (!loadGIFFile(image, file)) {
        std::printf("cannot read %s\n", qPrintable(file));
        return false;
    }
    normalizeForWriting(image, TNormalizeMode::WorkingCopy);
    double seconds = 0;
    double cpu = 0;
    QString current, optimized, savings;
    messages.pushForm([&](QDialog& dialog) {
        auto& wizard = static_cast<TfrmWizards&>(dialog);
        press(wizard.btnNext);
        wizard.chkRemoveLocal->setChecked(true);
        press(wizard.btnNext);
        wizard.chkNonVisible->setChecked(true);
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuSeconds();
        press(wizard.btnNext); // leaves page 7
        QCoreApplication::processEvents();
        seconds = secondsSince(start);
        cpu = cpuSeconds() - cpuStart;
        current = wizard.lblCurrentSize->text();
        optimized = wizard.lblOptimizedSize->text();
        savings = wizard.lblSavings->text();
        press(wizard.btnNext);
    });
    TWizardSetup setup;
    setup.mode = TWizardMode::Optimization;
    setup.animation = &image;
    TEditSession session;
    TWizardResult result = runWizard(session, std::move(setup));
    const qint64 ours = result.image ? gifByteSize(*result.image) : -1;

    const QString peer = QDir(folder).filePath(QStringLiteral("gifsicle-O2.gif"));
    QProcess gifsicle;
    const Clock::time_point start = Clock::now();
    gifsicle.start(QStringLiteral("gifsicle"), {QStringLiteral("-O2"), file, QStringLiteral("-o"), peer});
    const bool ran = gifsicle.waitForFinished(120000) && gifsicle.exitCode() == 0;
    const double peerSeconds = secondsSince(start);
    const qint64 peerSize = ran ? QFileInfo(peer).size() : -1;

    std::printf("optimization wizard on %s (%lld bytes on disk), every box checked:\n",
                qPrintable(QFileInfo(file).fileName()), QFileInfo(file).size());
    std::printf("  current %s, optimised %s, savings %s\n", qPrintable(current), qPrintable(optimized),
                qPrintable(savings));
    std::printf("  %-22s %12s %10s\n", "", "bytes", "wall s");
    std::printf("  %-22s %12lld %10.3f  (CPU %.3f s)\n", "wizard (page 7 -> 8)", ours, seconds, cpu);
    std::printf("  %-22s %12lld %10.3f\n", "gifsicle -O2", peerSize, peerSeconds);
    if (peerSize > 0 && ours > 0)
        std::printf("  size ratio ours/gifsicle %.3f, time ratio %.2f\n", double(ours) / double(peerSize),
                    seconds / peerSeconds);
    return ours > 0;
}

// A picture of every page of every mode.
void screenshots(const QString& folder, TScriptedMessageService& messages)
{
    QDir().mkpath(folder);
    auto save = [&folder](QWidget& widget, const QString& name) {
        QCoreApplication::processEvents();
        widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    };
    TGIFImage image;
    loadGIFFile(image, largestRealFile());
    const QString picture = QDir(folder).filePath(QStringLiteral("picture.png"));
    generatedPicture(1).scaled(64, 48).save(picture);
    struct Mode
    {
        TWizardMode mode;
        const char* name;
    };
    for (const Mode& mode :
         {Mode{TWizardMode::Welcome, "welcome"}, Mode{TWizardMode::Tips, "tips"},
          Mode{TWizardMode::Animation, "animation"}, Mode{TWizardMode::Optimization, "optimization"}}) {
        messages.pushForm([&](QDialog& dialog) {
            auto& wizard = static_cast<TfrmWizards&>(dialog);
            const QString name = QString::fromLatin1(mode.name);
            if (mode.mode == TWizardMode::Welcome) {
                save(wizard, name);
                press(wizard.btnRecent);
                wizard.lstRecent->setCurrentRow(0);
                save(wizard, QStringLiteral("welcome-recent"));
                return;
            }
            if (mode.mode == TWizardMode::Tips) {
                save(wizard, name);
                return;
            }
            for (int page = 0; page < 4; ++page) {
                if (mode.mode == TWizardMode::Animation && wizard.page() == 3) {
                    messages.pushFiles(
                        {picture, picture + QStringLiteral("-a-rather-long-name-for-scrolling.png")});
                    press(wizard.btnAddImage);
                }
                save(wizard, QStringLiteral("%1-page%2").arg(name).arg(wizard.page()));
                if (wizard.page() == 4 || wizard.page() == 8)
                    break;
                press(wizard.btnNext);
            }
            save(wizard, QStringLiteral("%1-page%2").arg(name).arg(wizard.page()));
        });
        TWizardSetup setup;
        setup.mode = mode.mode;
        setup.animation = &image;
        setup.recentVisible = true;
        setup.recentCaptions = {QStringLiteral("&0 ") + largestRealFile()};
        TEditSession session;
        runWizard(session, std::move(setup));
    }
    std::printf("pictures of the wizard pages in %s\n", qPrintable(folder));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("TMPDIR", folder.path().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QApplication app(argc, argv);
    initializeImaging();
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);

    const QStringList arguments = app.arguments();
    const qsizetype shots = arguments.indexOf(QStringLiteral("--shots"));
    if (shots > 0 && shots + 1 < arguments.size()) {
        screenshots(arguments.at(shots + 1), messages);
        return 0;
    }
    bool ok = optimizationWizard(folder.path(), messages);
    ok = animationWizard(folder.path(), messages) && ok;
    for (const TRecordedDialog& shown : messages.recorded())
        if (shown.kind == TDialogKind::MessageBox)
            std::printf("message shown: %s\n", qPrintable(shown.text));
    return ok ? 0 : 1;
}
