#pragma once
// SHA-256 of a file's bytes as 64 lower-case hexadecimal digits, for the line manifest. The digest
// comes from libgcrypt, which Debian packages both for Linux and for the Windows cross-build.

#include <string>
#include <string_view>

std::string Sha256Hex(std::string_view Bytes);

// True for 64 hexadecimal digits (either case).
bool IsSha256Hex(std::string_view Text);
