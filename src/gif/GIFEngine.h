#pragma once
// Start-up and shut-down of the GIF engine's process-wide state. Calls nest: only the first
// start-up registers and only the matching last shut-down unregisters. Main thread only.

// Registers TGIFImage as the graphic class for the "gif" file extension ("GIF Image") and
// reads nothing else yet; the clipboard format is the MIME type image/gif.
void gifEngineStartup();
void gifEngineShutdown();
