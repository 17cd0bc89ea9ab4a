#pragma once
// The shared image routines, by subject. New code includes the subject's header; this one
// gathers them for the callers that use several.
//   GifFiles.h        file types, loading pictures, reading and writing GIF files
//   FrameInsertion.h  bitmaps into frames, palette settings, a new frame's set-up
//   LoopExtension.h   the looping extension as the user counts
//   ColorUse.h        colour entries the frames use
//   UiHelpers.h       small dialog helpers and the hourglass cursor
//   PictureTransfer.h resource pictures and automation image transfer
// The edit session (EditSession.h) holds the working image, the documents and the services the
// routines use; they keep no state of their own.
#include "editing/ColorUse.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GifFiles.h"
#include "editing/LoopExtension.h"
#include "editing/PictureTransfer.h"
#include "editing/UiHelpers.h"
#include "editing/UserTexts.h"

using UserTexts::kCreatedWithComment;
using UserTexts::kDisposalNames;
extern const char* const kBooleanNames[2]; // "No", "Yes"
