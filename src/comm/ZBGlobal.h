#pragma once
// Library-wide routines: the library language and readable texts for error records.

#include "comm/ZBTypes.h"

#include <string>

// Language index of the library's own texts: 1 = English, 2 = German (when the primary language of
// the user's locale is German).
int LibraryLanguage();

// A readable description of an error record from the library's message table, in Language
// (1 or 2; anything else gives English).
std::string CommErrorText(const TCommError& CommError, int Language);
