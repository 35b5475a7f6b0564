#include "app/core/CommaText.h"

namespace {

// Blanks and control characters: skipped before an item, and they end an unquoted item.
bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view Text) {
  Text = Text.substr(0, Text.find('\0'));
  std::vector<std::string> items;
  std::size_t i = 0;
  const std::size_t n = Text.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(Text[i])) ++i;
  };

  skipBlanks();
  while (i < n) {
    std::string item;
    if (Text[i] == '"') {
      ++i;
      while (i < n) {
        if (Text[i] == '"') {
          if (i + 1 < n && Text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;  // closing quote
          break;
        }
        item += Text[i++];
      }
    } else {
      const std::size_t start = i;
      while (i < n && !IsBlank(Text[i]) && Text[i] != ',') ++i;
      item.assign(Text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (i < n && Text[i] == ',') {
      // A comma at the very end still announces an (empty) item.
      if (i + 1 == n) items.emplace_back();
      ++i;
      skipBlanks();
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& Items) {
  if (Items.size() == 1 && Items.front().empty()) return "\"\"";
  std::string text;
  for (std::size_t k = 0; k < Items.size(); ++k) {
    const std::string& item = Items[k];
    if (k > 0) text += ',';
    bool quote = false;
    for (const char c : item) quote = quote || IsBlank(c) || c == '"' || c == ',';
    if (!quote) {
      text += item;
      continue;
    }
    text += '"';
    for (const char c : item) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}
