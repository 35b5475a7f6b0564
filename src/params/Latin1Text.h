#pragma once
// Kept for callers that still use the old name: data-file texts are Windows-1252.
#include "app/Windows1252Text.h"

inline QString Latin1(const std::string& Text) { return FromWindows1252(Text); }
