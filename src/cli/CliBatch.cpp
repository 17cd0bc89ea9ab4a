#include "cli/CliBatch.h"

#include "cli/CliCommon.h"
#include "graphics/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <unistd.h>

namespace cli {

TProgressBar::TProgressBar(int total, bool wanted) : m_total(total), m_enabled(wanted && isatty(fileno(stderr)))
{
}

TProgressBar::~TProgressBar()
{
    clear();
}

void TProgressBar::show(int done, const QString& name)
{
    if (!m_enabled || m_total <= 0)
        return;
    constexpr int Width = 30;
    const int filled = int(int64_t(done) * Width / m_total);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(Width - filled, QLatin1Char('.'));
    const QString label = QFileInfo(name).fileName().left(40);
    std::fprintf(stderr, "\r\x1b[K[%s] %d/%d %s", qPrintable(bar), done, m_total, label.toLocal8Bit().constData());
    std::fflush(stderr);
    m_drawn = true;
}

void TProgressBar::clear()
{
    if (!m_drawn)
        return;
    std::fprintf(stderr, "\r\x1b[K");
    std::fflush(stderr);
    m_drawn = false;
}

namespace {
TProgressBar* activeBar = nullptr;
}

void clearProgress()
{
    if (activeBar)
        activeBar->clear();
}

int forEachFile(const QStringList& files, bool progress, const std::function<void(const QString&)>& body)
{
    TProgressBar bar(int(files.size()), progress);
    activeBar = &bar;
    struct Detach
    {
        ~Detach() { activeBar = nullptr; }
    } detach;
    int failed = 0;
    for (int i = 0; i < files.size(); ++i) {
        bar.show(i, files[i]);
        QString error;
        try {
            body(files[i]);
        } catch (const Exception& e) {
            error = e.message();
        } catch (const std::bad_alloc&) {
            error = QStringLiteral("Out of memory");
        }
        if (!error.isEmpty()) {
            bar.clear();
            ++failed;
            printError(QStringLiteral("%1: %2").arg(files[i], error));
        }
    }
    bar.show(int(files.size()), QString());
    return failed;
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}

QString TOutputPlan::targetFor(const QString& input) const
{
    if (inPlace)
        return input;
    const QString target = folder.isEmpty() ? single : QDir(folder).filePath(QFileInfo(input).fileName());
    for (const QString& other : inputs)
        if (sameFile(target, other))
            throw EWriteError(QStringLiteral("%1 would overwrite an input (use --in-place)").arg(target));
    return target;
}

bool parseOutputPlan(const QStringList& args, TOutputPlan& plan, const std::function<bool(const QString&)>& option)
{
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "-o") {
            if (i + 1 >= args.size() || !plan.folder.isEmpty())
                return false;
            plan.folder = args[++i];
        } else if (arg == "--in-place") {
            plan.inPlace = true;
        } else if (arg == "--keep-if-smaller") {
            plan.keepIfSmaller = true;
        } else if (arg == "--progress") {
            plan.progress = true;
        } else if (arg.startsWith("--")) {
            if (!option(arg))
                return false;
        } else {
            positional << arg;
        }
    }
    if (plan.inPlace) {
        if (!plan.folder.isEmpty() || positional.isEmpty())
            return false;
        plan.inputs = positional;
    } else if (!plan.folder.isEmpty()) {
        if (positional.isEmpty())
            return false;
        plan.inputs = positional;
    } else {
        if (positional.size() != 2)
            return false;
        plan.inputs = {positional[0]};
        plan.single = positional[1];
    }
    return true;
}

void writeAtomically(const QString& target, const QByteArray& bytes)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(target, file.errorString()));
}

} // namespace cli

#include "gif/GIFImage.h"
#include "graphics/Streams.h"

namespace cli {

int runTransform(const TOutputPlan& plan, bool printSizes, const std::function<void(TGIFImage&)>& transform)
{
    if (!plan.folder.isEmpty() && !QDir().mkpath(plan.folder)) {
        printError(QStringLiteral("Cannot create folder %1").arg(plan.folder));
        return ExitFailure;
    }
    const bool batch = plan.single.isEmpty();
    qint64 totalIn = 0;
    qint64 totalOut = 0;
    int done = 0;
    const int failed = forEachFile(plan.inputs, plan.progress, [&](const QString& input) {
        const QString target = plan.targetFor(input);
        TMemoryStream original;
        original.loadFromFile(input);
        TGIFImage image;
        image.onWarning = [](TObject*, int, const QString&) {};
        image.loadFromStream(original);
        if (image.empty())
            throw EReadError(QStringLiteral("No frames"));
        transform(image);
        TMemoryStream result;
        image.saveToStream(result);
        const bool keep = plan.keepIfSmaller && result.size() >= original.size();
        const QByteArray& bytes = keep ? original.data() : result.data();
        if (!(plan.inPlace && keep))
            writeAtomically(target, bytes);
        totalIn += original.size();
        totalOut += bytes.size();
        ++done;
        clearProgress();
        if (batch)
            std::printf("%s: %lld -> %lld bytes%s\n", qPrintable(input), static_cast<long long>(original.size()),
                        static_cast<long long>(bytes.size()), keep ? " (original kept)" : "");
        else if (printSizes)
            std::printf("%lld -> %lld bytes%s\n", static_cast<long long>(original.size()),
                        static_cast<long long>(bytes.size()), keep ? " (original kept)" : "");
        std::fflush(stdout);
    });
    if (batch) {
        std::printf("total: %lld -> %lld bytes in %d file%s", static_cast<long long>(totalIn),
                    static_cast<long long>(totalOut), done, done == 1 ? "" : "s");
        if (failed > 0)
            std::printf(", %d failed", failed);
        std::printf("\n");
    }
    return failed > 0 ? ExitFailure : ExitOk;
}

} // namespace cli
