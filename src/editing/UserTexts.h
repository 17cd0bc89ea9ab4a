#pragma once
// Texts the user sees, or that files and other programs rely on, which are easy to "correct" by
// accident. Each is kept exactly as it is: users' scripts and documentation quote the messages,
// files carry the comment, and peers compare the names. Change one only on purpose, with its
// tests. Texts without such a trap stay beside the code that shows them.
//
// "%1" marks where the code fills in a value (QString::arg); "%s" is kept where a text is
// documented with it and filled in by hand.

namespace UserTexts {

// ---- Written into files ----------------------------------------------------------------------

// The comment on frame 0 of every animation created here; other programs show it.
inline constexpr const char* kCreatedWithComment = "Created with Brightwell GIF Reelwright";

// ---- Messages ------------------------------------------------------------------------------

// "is could be": the message as users know it.
inline constexpr const char* kUnableToDecode = "Unable to decode %1. The file is could be corrupt.";
inline constexpr const char* kLoadError =
    "Error loading %1! GIF Reelwright does not support the file type or it is a corrupted file.";
inline constexpr const char* kSaveError = "Error saving file! Unable to save %1 to disk.";
inline constexpr const char* kReloadFailed = "The file %1 has either moved or cannot be opened. Existing "
                                             "changes will be lost. GIF Empty: %2, Load Error: %3.";
inline constexpr const char* kUnrecognizedType = "%1 is an unrecognized file type!";
// The internal names ("EListError", "DrawPreviewImage") are part of the text.
inline constexpr const char* kFrameListError = "EListError getting SubImages[%1] in DrawPreviewImage";
// ", at least, " with both commas; "%s" is the file name without folder.
inline constexpr const char* kOneFrameMessage = "The image %s must have, at least, one frame image.";
inline constexpr const char* kSaveChangesQuestion = "Would you like to save changes to %1?";
// The second line starts with a space.
inline constexpr const char* kDropQuestion = "Would you like to add this image to the current animation?\n Or, "
                                             "would you like to start it as new animation?";
// A lower-case "d", unlike the other remembered questions' "Make this the &Default".
inline constexpr const char* kDropMakeDefault = "Make this the &default";
inline constexpr const char* kFitFrameQuestion =
    "Frame dimensions are larger than the animation. How should this be handled?";
inline constexpr const char* kClientNotLoaded = "Could not load the client.";
inline constexpr const char* kAutomationFailed = "GIFReelwrightApplication automation object could not be created!";
inline constexpr const char* kColorRequired = "This color is required by the image and cannot be removed.";

// ---- Names shown in lists --------------------------------------------------------------------

// The disposal methods 0-3 in the frame panel and the inspector: method 1 (the frame stays) is
// called "Remove".
inline constexpr const char* kDisposalNames[4] = {"None", "Remove", "Background", "Previous"};

// ---- Action hints (MainActions.cpp keeps them in its table) ------------------------------------
// "Undos the last action"; "Minimize AllMinimizes all open windows" (no bar: tooltip and status
// text are the whole string); "Help| Displays Help Contents" (a space after the bar); the move
// actions' three parts "Move Frame to Beginning|Move Frame to beginning|Moves ..." (the status
// text is everything after the first bar).

} // namespace UserTexts
