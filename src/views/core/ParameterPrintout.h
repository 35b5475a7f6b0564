#pragma once
// The parameter list on paper: every menu of the tree file that the menu map gives parameters,
// under a heading of its group and item titles, with the column header and one line per
// parameter (position, number, name, value, option text), page after page.
//
// Rows of a menu are printed as the editor lists them: each ParId row that holds a parameter
// number, numbered by its row, so a gap in the keys or a row of -1 prints nothing and hides no
// later row. Tree lines after the title that begin with no tab belong to no menu and are skipped.

#include <array>
#include <string>
#include <vector>

#include "views/core/PrintPage.h"

using TParameterColumnTexts = std::array<std::string, 5>; // KolomTekst0..4

// Column header line: the texts padded as the columns are.
std::string ParameterColumnHeader(const TParameterColumnTexts& Texts);
// The line of row Row of menu MenuId for parameter Parameter (position MenuId/100.MenuId%100.Row).
std::string ParameterPrintLine(int MenuId, int Row, int Parameter);

// The tree file's lines (TreeLines null: no tree file) walked as described above, with the
// program's catalogue, menu map and ParameterValues. The page header is printed first.
void PrintParameters(TPrintJob& Job, const TParameterColumnTexts& Columns, const std::vector<std::string>* TreeLines);
