#pragma once
// Comma text, the list form of option lists and list items in the language and catalogue files:
// items are separated by commas or blanks; leading blanks and control characters are skipped; an
// item in double quotes may contain blanks and commas, and "" inside quotes stands for one quote.
// A text ends at a NUL byte. Example: "Hold/Reset","Ref fijn",Inactief -> three items.

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitCommaText(std::string_view Text);

// The reverse: items joined by commas, an item quoted when it contains a blank, control character,
// comma or double quote (inner quotes doubled). A list of one empty item gives "" (two quotes).
std::string JoinCommaText(const std::vector<std::string>& Items);
