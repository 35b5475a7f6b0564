#pragma once
// Value fields as assistive technology reads them. A label that shows a value (a position, the
// port, the device type, a status) carries an accessible name of its own that says what it is;
// Qt would then hand on that name alone and the value would be lost to a screen reader; a label
// named only by a caption beside it (its buddy) would read its value as its name. Here every label
// with a name (its own, or its caption's) also gives what it shows now: as its value and as its
// text (the text is what the desktop's bridge hands on). Any other label reads as before, its text
// as its name (captions).
//
// Installed once, before the first window is shown (the program's and the window tests' main()).
void InstallValueFieldAccessibility();
