#pragma once
// Values the main window loads from the settings store at start-up, hands to the other parts of
// the program while it runs and writes back at shut-down.
#include <QString>

#include <cstdint>

struct TStartupState
{
    int frameSize = 160;         // "FrameSize": thumbnail edge of the frame strip
    int defaultDelay = 100;      // "DefaultDelay", hundredths of a second
    int defaultNSLoop = 0;       // "DefaultNSLoop", user loop count (0 forever, 1 once)
    bool syncOpenDialog = false; // "SyncOpenDialog"
    bool noOpenDlgPreview = false;
    std::uint32_t frameTransparentColor = 0xFFFFFF; // RGB, red in the low byte
    bool displayAnimation = true;
    bool warnings = false;
    int filterType = 19;      // image browser file-type filter
    int thumbnailSize = 75;   // "ThumbailSize"
    QString thumbDirectory;   // remembered thumbnail folder; emptied by the deferred start-up scan
    QString initialDir;       // plain open dialog's initial folder
    int inspectorRestore = 0; // 1 while the inspector is hidden for this start only (HideOnce)
    bool normalStyle = false; // toolbars in regular (not flat) style
    int paletteType = 0;
    int maxColorCount = 256;
    int ditherMethod = 0;
};
