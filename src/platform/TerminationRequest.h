#pragma once
// SIGTERM and SIGINT (the session ending, `kill`, Ctrl+C in a terminal) end the program the way
// closing its main window does, so documents are asked to close and the settings are written,
// instead of the process dying on the spot.
#include <functional>

class QObject;

// Call first thing in main(): from then on the two signals are noted, never fatal.
void catchTerminationSignals();
// The handler runs in the event loop for each signal noted, including those that arrived before
// this call (they are delivered once the loop runs). The handler lives as long as context.
void onTerminationRequest(QObject* context, std::function<void()> handler);
