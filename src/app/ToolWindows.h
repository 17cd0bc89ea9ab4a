#pragma once
// The image browser and the frame inspector are tool windows of the main window: they stay above
// it, never go off the screen, and come back at the next start as they were when it closed.
class QWidget;

// Makes tool a transient of main on the window system, so the window manager keeps it above main.
// Qt only does this by itself when main's native window exists before tool's is created, which is
// not the case at start-up (the companions are created before the main window is shown). Not every
// window manager restacks a transient that was mapped before its parent, so tool is also raised
// whenever main is shown or activated.
void attachToolWindow(QWidget& tool, QWidget& main);

// Moves (and if need be shrinks) window so that it lies inside the available geometry of the
// screen it is on, or of the primary screen when it is on none: stored positions may come from
// another monitor layout, and the design positions assume a taller screen than many have.
void keepOnScreen(QWidget& window);
// keepOnScreen now, and again once the window manager has put its frame around the shown window
// (the frame's size is unknown before, so a window placed at the screen's edge would reach past it).
void keepOnScreenWhenFramed(QWidget& window);
