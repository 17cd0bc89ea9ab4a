#pragma once
// Menu paths: captions separated by "|" from a top-level item of the main menu down to the item,
// each compared exactly (case-sensitive) with the item's caption after every "&" is removed from
// the caption (not from the path); when several items match, the last one is taken.
#include <QString>

class QAction;
class QMenuBar;

// The item a path names; null when any level has no match.
QAction* findMenuItem(QMenuBar* menuBar, const QString& path);
