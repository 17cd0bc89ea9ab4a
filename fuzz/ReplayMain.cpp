// Replays saved fuzz inputs through a fuzz target without libFuzzer: every file named on
// the command line, or found below a folder named there, is fed to the target once. A named
// file or folder that is missing, or a folder without inputs, fails the run: a replay that
// silently finds nothing would pass without testing anything.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replayFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    int failures = 0;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            int inFolder = 0;
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                failures += replayFile(it.next());
                ++inFolder;
            }
            if (inFolder == 0) {
                std::fprintf(stderr, "no inputs in %s\n", qPrintable(arg));
                ++failures;
            }
            replayed += inFolder;
        } else if (QFileInfo::exists(arg)) {
            failures += replayFile(arg);
            ++replayed;
        } else {
            std::fprintf(stderr, "missing: %s\n", qPrintable(arg));
            ++failures;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return failures == 0 ? 0 : 1;
}
