#pragma once
// Preview playback as the main window uses it: the playback object over the window, with the
// Play and Pause actions and the Play drop-down connected.
#include <memory>

class TPlayback;
class TfrmMain;

std::unique_ptr<TPlayback> createPlayback(TfrmMain& main);
