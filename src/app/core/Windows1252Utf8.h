#pragma once
// Texts of the data files and of the controller (Windows-1252, see app/core/Windows1252.h) as
// UTF-8, for output that other programs read (JSON).
#include <string>
#include <string_view>

std::string Windows1252ToUtf8(std::string_view Bytes);
