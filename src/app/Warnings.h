#pragma once
// The policy for the GIF engine's warnings. By default none is shown. With "Warnings" 1 at
// start-up (or turned on with Shift+Alt+F7 in the options), the working image gets a handler that
// shows each warning with the severity and the class it came from, and the buttons Abort (ends
// the engine's current operation), Ignore (carries on) and All (no more warnings, now or at the
// next start).
#include <QString>

#include <functional>

class TGIFImage;
class TfrmMain;
class TObject;

inline constexpr const char* kProcessAbortedMessage = "This process has been aborted.";

// "A GIF process has resulted in <severity name>. The source is traced to <class> with the
// following message: "<message>."".
QString warningText(const TObject* sender, int severity, const QString& message);

// Attaches the handler to image (on) or takes it away (off); turnedOff runs when the user answers
// All. Main thread.
void setWarningsShown(TGIFImage& image, bool on, std::function<void()> turnedOff = {});

// The program's switch: the handler on the working image and the main window's state follow on.
void showEngineWarnings(TfrmMain& main, bool on);
