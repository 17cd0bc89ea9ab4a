#pragma once
// Shared set-up for the wizard tests: a fresh settings store and the scripted message service
// (from AppFixture), generated pictures and animations, and ImageMagick as the independent
// judge of what an animation shows over time.
#include "app/AppFixture.h"

#include "wizards/Wizards.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <utility>
#include <vector>

class TGIFImage;
class QAbstractButton;

namespace wiztest {

// A picture of blocks in a handful of colours (so quantising keeps it exact); seed varies it.
QImage blockPicture(int width, int height, int seed);
// Writes the picture as a PNG and returns the path.
QString writePng(const QString& folder, const QString& name, const QImage& picture);

// A small animation with a global map, a frame with a local map, comments, transparency, a
// repeated frame and mixed disposal.
void makeRichAnimation(TGIFImage& image);
// Random animations of the kind optimising has work in.
void makeRandomAnimation(TGIFImage& image, unsigned seed);
QByteArray gifBytes(TGIFImage& image);
bool writeFile(const QString& path, const QByteArray& bytes);

// What an animation shows over time, read by ImageMagick: each coalesced picture (RGBA, fully
// transparent pixels made equal) with how long it shows; equal neighbours are joined.
struct TShown
{
    QByteArray rgba;
    int delay = 0;
    bool operator==(const TShown&) const = default;
};
std::vector<TShown> shownByImageMagick(const QByteArray& gif);

// Presses a button the way a user does (nothing happens when it is disabled or hidden).
void press(QAbstractButton* button);
// Runs a wizard through the message service with a script that works its controls.
TWizardResult runScripted(TEditSession& session, TScriptedMessageService& messages, TWizardSetup setup,
                          std::function<void(TfrmWizards&)> script);
// A form script for the next wizard the program opens.
void pushWizardScript(TScriptedMessageService& messages, std::function<void(TfrmWizards&)> script);

// Runs a command line and returns its standard output; empty when it could not run.
QString runTool(const QString& program, const QStringList& arguments);

} // namespace wiztest
