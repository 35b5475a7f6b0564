#pragma once
// The menu map (ParNo.txt): which parameter stands in which row of which menu of the parameter
// editor. Sections are MenuIds in plain decimal ("302"); keys "ParId1", "ParId2", ... give the
// parameter number of each row; a missing key or -1 leaves the row empty.

#include <string>

#include "app/core/LanguageFile.h"

inline constexpr char MenuMapFileName[] = "ParNo.txt";
inline constexpr int MenuRowCount = 18; // rows 1..18 of the editor's list

// 100 x menu number + submenu number; submenu 0 is the menu itself, MenuId 0 the tree's root.
constexpr int MenuId(int menuNumber, int submenuNumber)
{
    return 100 * menuNumber + submenuNumber;
}

class TParameterMenuMap {
public:
    void Clear();
    void LoadFromText(std::string_view text);
    bool LoadFromFile(const std::string& path);

    // Parameter number of (menuId, row), or -1 for an empty row. A value outside 0..399 or one
    // that is no integer also gives -1, so a caller can index the value tables with the result.
    int ParameterAt(int menuId, int row) const;
    // Whether the section of menuId has the key "ParId" + row at all (whatever its value).
    bool HasRow(int menuId, int row) const;
    // How many of the keys ParId1..ParId<lastRow> are present with a value other than -1.
    int CountRows(int menuId, int lastRow) const;

    const TLanguageFile& Text() const { return text_; }

private:
    TLanguageFile text_; // same line rules as the language files
};

extern TParameterMenuMap ParameterMenuMap;
extern bool MenuMapLoaded;

// Loads ProgramDir + "ParNo.txt" into ParameterMenuMap and sets MenuMapLoaded when the file is
// there; otherwise leaves MenuMapLoaded false. Never reports an error.
void ParamNo_lezen();
