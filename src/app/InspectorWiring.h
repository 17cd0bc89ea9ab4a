#pragma once
// The frame inspector's place in the program: what it needs of the main window (the active
// document, playback, document switching) and the main window's calls into it (Clear in the
// no-document state, the row an undo selects).
class TfrmMain;
class TfrmFloat;

void wireInspector(TfrmMain& main, TfrmFloat& inspector);
