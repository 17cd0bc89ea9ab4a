#pragma once
// The clipboard commands of the main window: Copy and Cut through the frame clipboard file (a
// temporary GIF holding the copied frames with their offsets, timing, transparency and maps)
// and the system clipboard, Paste of those frames or of any clipboard picture, and Paste
// comments from clipboard text.
//
// GUI thread only (the system clipboard is only usable there).
class ICommandHost;

// EditCopy; true when the frame clipboard file was written.
bool copyFrames(ICommandHost& host);
// EditCut: Copy, then Delete Frame when the copy succeeded.
void cutFrames(ICommandHost& host);
// EditPaste.
void pasteFrames(ICommandHost& host);
// "Paste Comme&nts": a comment on frame 0 from the clipboard text, at most 255 characters.
void pasteComments(ICommandHost& host);
// Whether EditPaste has something to paste.
bool canPaste(ICommandHost& host);

inline constexpr int kMaxPastedCommentLength = 255;
inline constexpr const char* kCommentFailedMessage =
    "Unable to create a GIF Comment from the clipboard text.";
