#pragma once
// The editing dialogs (palette, prompts, options) as the main window, the commands and the image
// routines ask for them. Each function builds the form over the working image, runs it through
// the message service and hands back plain answers; the callers record and apply.
#include "app/CommandHost.h"
#include "app/FrameStripHost.h"
#include "editing/EditSession.h"

#include <memory>

class TfrmMain;

std::unique_ptr<ICommandDialogs> makeProgramDialogs(TfrmMain& main);
std::unique_ptr<IEditPrompts> makeRoutinesPrompts(TfrmMain& main);
// The animation panel's "&Select": the transparent-colour mode for a frame, preset.
TPaletteChoice chooseAnimationTransparentColor(TEditSession& session, int frameIndex, int colorIndex, TColor color);
// "&Organize Favorites...": on OK with an edited list the favourites are replaced.
TOptionsChoice organizeFavorites(TfrmMain& main);
