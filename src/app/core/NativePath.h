#pragma once
// The program's paths are narrow strings in the system's own encoding, as the file functions take
// them: UTF-8 on POSIX systems, the ANSI code page on Windows (fopen and the ...A functions).
// std::filesystem reads a narrow string on Windows as Latin-1 instead, which misnames every folder
// with a letter beyond it (C:\Users\Łukasz on a Polish Windows), so its paths are made here.

#include <filesystem>
#include <string>

std::filesystem::path NativePath(const std::string& Path);
