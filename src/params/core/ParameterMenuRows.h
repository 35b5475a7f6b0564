#pragma once
// The rows of the parameter editor's list (and of the menu blocks of the printout): what menu
// row r of (menu, submenu) shows, worked out from the menu map, the catalogue and ParameterValues.

#include <array>
#include <string>

inline constexpr int MenuRowColumns = 5;

struct TParameterMenuRow {
    int Parameter = -1; // -1: an empty row (all cells empty)
    // 0 position "menu.submenu.row", 1 number "%3.3d", 2 name, 3 value text, 4 option text
    std::array<std::string, MenuRowColumns> Cells;
};

// Row `row` (1..18) of the list for MenuNumber/SubmenuNumber. Empty unless both the catalogue
// and the menu map are loaded. A parameter missing from the catalogue shows its number and plain
// value, without name or option text.
TParameterMenuRow ParameterMenuRow(int menuNumber, int submenuNumber, int row);

// The editor's clear button: every parameter listed in rows 1..18 of menuId becomes 0 (nothing
// is listed unless catalogue and menu map are loaded). Returns how many parameters were set.
int ClearMenuParameters(int menuId);
