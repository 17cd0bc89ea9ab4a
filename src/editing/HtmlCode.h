#pragma once
// HTML text the program hands out: the image tag of "HTML Code" and the automation member
// HTMLCode, and the small page of "As HTML Page...". Widget-free so the prompts, the export
// and automation share one escaping rule.
//
// Values that come from outside (file names, a caller's URL or image source) are escaped before
// they go into an attribute, so a name holding '"' or '<' stays one attribute value and cannot
// add markup to the page.
#include <QString>

// Attribute text given by a caller (a URL, an image source): '"', '<' and '>' become character
// references. '&' is kept as given: callers pass URLs whose query strings already hold it.
QString htmlEscapeAttribute(const QString& text);

// A file name used as a relative image source: every character HTML treats specially ('&', '<',
// '>', '"', '\'') becomes a character reference, and the characters a URL would read as syntax
// ('%', '#', '?') are percent-encoded so the browser asks for exactly this file.
QString htmlEscapeFileName(const QString& fileName);

// One line: <A HREF="url"><IMG SRC="source" HEIGHT="h" WIDTH="w" BORDER="b"></A>
QString htmlCodeText(const QString& url, const QString& source, int height, int width, int border);

// The whole page for an image file (name without folder) of the given logical screen size. Lines
// end in CR LF, and the text ends with one CR LF after the last line.
QString htmlPageText(const QString& imageFileName, int height, int width);

// The page's file name for the name chosen in the save dialog: the file-name part up to its last
// '.', followed by ".html". Only the file-name part is looked at, so a dot in a folder name never
// cuts the path.
QString htmlPagePath(const QString& chosenPath);
