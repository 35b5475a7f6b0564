#pragma once
// Whole-file reading with a size cap, and saving that never leaves a half-written file behind.

#include <cstddef>
#include <string>
#include <string_view>

enum class TReadResult {
  Ok,         // the whole file is in Contents
  Truncated,  // the file is larger than the cap: Contents holds its first MaxBytes bytes
  Missing,    // no such file, or not a regular file (directory, device, pipe)
  Unreadable  // exists but could not be opened or read
};

// Reads at most MaxBytes bytes of the regular file Path into Contents (cleared first). Devices and
// pipes count as missing, so a mistaken path can never block or read forever.
TReadResult ReadFileCapped(const std::string& Path, std::size_t MaxBytes, std::string& Contents);

// Why Path cannot be read as a file, in words for a message: the system's reason, or that it is
// a folder or no regular file.
std::string ReasonNotReadable(const std::string& Path);

// Replaces Path by Contents: writes a temporary file of its own beside it (created exclusively,
// under a unique name), flushes it to disk and renames it over Path, so readers see either the old
// or the new file, never a mix, and saves running at once end with one of them whole. A symbolic
// link is followed: the file it names is replaced and the link stays (a link to a device, a pipe
// or a folder is refused). An existing file keeps its
// permission bits (and, where the system allows, its owner and group). On failure, and on Ctrl-C,
// the old file is untouched, the temporary file is removed and Error says what went wrong.
bool WriteFileAtomically(const std::string& Path, std::string_view Contents, std::string& Error);

// True for an existing regular file that nobody may write. The save dialogs and the settings
// refuse such a file, since a rename would otherwise replace it regardless of its permissions.
bool IsReadOnlyFile(const std::string& Path);

// Splits text into lines at CR LF, LF or a lone CR; the line ends are not part of the lines.
// A final line without line end counts; text ending in a line end has no empty last line.
template <typename Fn>
void ForEachLine(std::string_view Text, Fn&& OnLine) {
  std::size_t start = 0;
  const std::size_t n = Text.size();
  while (start < n) {
    std::size_t end = start;
    while (end < n && Text[end] != '\n' && Text[end] != '\r') ++end;
    OnLine(Text.substr(start, end - start));
    if (end < n && Text[end] == '\r' && end + 1 < n && Text[end + 1] == '\n') ++end;
    start = end + 1;
  }
}
