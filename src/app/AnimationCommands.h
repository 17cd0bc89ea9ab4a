#pragma once
// The commands that change the animation as a whole: Resize, Animation information (with its
// loop choice), the Global palette and the entry to the optimization wizard. GUI thread only.
class ICommandHost;
class IUndoHost;

// AnimationResize.
void resizeAnimation(ICommandHost& host);
// AnimationInfo.
void animationInformation(ICommandHost& host);
// The loop choice of the animation panel and the information page (playForever, else the user
// count, 1 or more) applied to the document's working image: each change records "Change
// Animation Loop" and marks the document modified. An undo record that cannot be taken refuses
// the change with an error box. Returns whether anything changed.
bool applyLoopRules(IUndoHost& document, bool playForever, int count);
void applyLoop(ICommandHost& host, bool playForever, int count);
// AnimationPalette.
void globalPalette(ICommandHost& host);
// AnimationOptimize.
void optimizeAnimation(ICommandHost& host);

// The clamp of a new animation dimension: below 1 gives 10, above 1000 gives 1000.
int clampAnimationDimension(int value);
