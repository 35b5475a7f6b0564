#pragma once
// The program version: the About window shows it, every program's --version prints it, and the
// build reads it from here for the package and the manual pages.
inline constexpr char ProgramVersion[] = "6.02";
