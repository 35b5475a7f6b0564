#pragma once
// Section and key names match without regard to case. The files are Latin-1, so the accented
// capitals fold too (Ä to ä); other bytes stay as they are.

#include <string>
#include <string_view>

inline char FoldChar(char C) {
  const auto u = static_cast<unsigned char>(C);
  const bool capital = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
  return capital ? static_cast<char>(u + 0x20) : C;
}

inline std::string FoldCase(std::string_view Name) {
  std::string folded(Name);
  for (char& c : folded) c = FoldChar(c);
  return folded;
}

inline bool EqualFold(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (FoldChar(A[i]) != FoldChar(B[i])) return false;
  }
  return true;
}
