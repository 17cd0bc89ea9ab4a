#pragma once
// Batch use of the commands that take several files: each file is processed on its own, a file
// that fails is reported as one line "FILE: message" on stderr and the rest go on; the command
// ends with exit status 1 when any failed. Output files are written atomically.
#include <QString>
#include <QStringList>
#include <functional>

namespace cli {

// An optional progress bar on stderr, drawn only when stderr is a terminal.
class TProgressBar
{
public:
    TProgressBar(int total, bool wanted);
    ~TProgressBar();
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;
    void show(int done, const QString& name);
    // Clears the bar's line so that a message can be printed in its place.
    void clear();

private:
    int m_total = 0;
    bool m_enabled = false;
    bool m_drawn = false;
};

// Clears the progress bar of the running batch (if any) so that a line can be printed to the
// terminal; the bar comes back with the next file.
void clearProgress();

// Runs body for every file in turn. An error of one file is printed as "FILE: message" and the
// next file follows. Returns the number of files that failed.
int forEachFile(const QStringList& files, bool progress, const std::function<void(const QString&)>& body);

// Where a command writes its results: one IN OUT pair, a folder for several inputs (-o DIR), or
// each input replaced in place.
struct TOutputPlan
{
    QStringList inputs;
    QString single;  // OUT of the IN OUT form
    QString folder;  // -o DIR
    bool inPlace = false;
    bool keepIfSmaller = false;
    bool progress = false;

    // Picks the target of an input; raises when the target would overwrite an input without
    // --in-place.
    QString targetFor(const QString& input) const;
};

// Splits the arguments into positional ones and the common batch options (-o DIR, --in-place,
// --keep-if-smaller, --progress); other options are handed to option(), which answers whether
// it knows them. Returns false (after printing usage) when the arguments do not make sense.
bool parseOutputPlan(const QStringList& args, TOutputPlan& plan, const std::function<bool(const QString&)>& option);

// Writes bytes to target atomically (a temporary file beside it, then a rename), so that the
// old file stays intact on every failure.
void writeAtomically(const QString& target, const QByteArray& bytes);

bool sameFile(const QString& a, const QString& b);

} // namespace cli

class TGIFImage;

namespace cli {

// copy and optimize: reads each input, applies transform, writes the result to its target (the
// original bytes instead with --keep-if-smaller when the result is not smaller) and prints the
// sizes. verbose prints one line per file also for a single IN OUT pair.
int runTransform(const TOutputPlan& plan, bool printSizes, const std::function<void(TGIFImage&)>& transform);

} // namespace cli
