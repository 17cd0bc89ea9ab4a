#pragma once
// The program's own start-up hooks: each one calls the part of the program that does the work
// (the document manager, the file routing of Drops.h, the automation server, the image browser,
// the plug-ins, the welcome page, the palette settings).
#include "app/StartupHooks.h"

TStartupHooks defaultStartupHooks();
