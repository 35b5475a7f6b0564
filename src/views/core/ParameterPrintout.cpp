#include "views/core/ParameterPrintout.h"

#include "app/core/Global_var.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "params/core/ParameterMenuMap.h"

namespace {

constexpr int MaxMenuRows = 40; // ParId1..ParId40
constexpr char Separator[] = "   ";

std::string Columns(const std::string& Position, const std::string& Number, const std::string& Name,
                    const std::string& Value)
{
    return PadRight(Position, 6) + Separator + PadRight(Number, 3) + Separator + PadRight(Name, 38) +
           PadLeft(Value, 11) + Separator;
}

// Delphi-style trim: blanks, tabs and every other control character at both ends.
std::string Trimmed(const std::string& Line)
{
    std::size_t begin = 0;
    std::size_t end = Line.size();
    while (begin < end && static_cast<unsigned char>(Line[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(Line[end - 1]) <= ' ')
        --end;
    return Line.substr(begin, end - begin);
}

void PrintMenuParameters(TPrintJob& Job, int MenuId, const std::string& ColumnHeader)
{
    Job.MakeRoom(Job.HeightOfA(ColumnHeaderFont));
    Job.Print(ColumnHeaderFont, ColumnHeader, Job.LineHeight());
    for (int row = 1; row <= MaxMenuRows; ++row) {
        const int parameter = ParameterMenuMap.ParameterAt(MenuId, row);
        if (parameter < 0)
            continue;
        Job.MakeRoom(Job.HeightOfA(LineFont));
        Job.Print(LineFont, ParameterPrintLine(MenuId, row, parameter), Job.LineHeight());
    }
    Job.Skip(Job.LineHeight());
}

} // namespace

std::string ParameterColumnHeader(const TParameterColumnTexts& Texts)
{
    return Columns(Texts[0], Texts[1], Texts[2], Texts[3]) + PadRight(Texts[4], 18);
}

std::string ParameterPrintLine(int MenuId, int Row, int Parameter)
{
    const std::string position =
        std::to_string(MenuId / 100) + "." + std::to_string(MenuId % 100) + "." + std::to_string(Row);
    std::string number, name, option;
    if (ParameterCatalogue.HasParameter(Parameter)) {
        number = TParameterCatalogue::SectionName(Parameter);
        name = ParameterCatalogue.Name(Parameter, LanguageIndex);
        option = ParameterOptionText(Parameter);
    }
    return Columns(position, number, name, ParameterValueText(Parameter)) + option;
}

void PrintParameters(TPrintJob& Job, const TParameterColumnTexts& Columns, const std::vector<std::string>* TreeLines)
{
    const std::string columnHeader = ParameterColumnHeader(Columns);
    Job.PrintPageHeader();
    if (!TreeLines || TreeLines->empty())
        return;
    Job.Print(TitleFont, (*TreeLines)[0], Job.HeightOfA(TitleFont));

    int group = 0;
    int item = 0;
    std::string groupTitle, itemTitle;
    for (std::size_t i = 1; i < TreeLines->size(); ++i) {
        const std::string& line = (*TreeLines)[i];
        if (line.starts_with("\t\t")) {
            ++item;
            itemTitle = Trimmed(line);
        } else if (line.starts_with('\t')) {
            group += 100;
            item = 0;
            groupTitle = Trimmed(line);
            itemTitle.clear();
        } else {
            continue;
        }
        const int menuId = group + item;
        if (!MenuMapLoaded || !CatalogueLoaded || !ParameterMenuMap.HasRow(menuId, 1))
            continue;
        const std::string heading = itemTitle.empty() ? groupTitle : groupTitle + " > " + itemTitle;
        const int headingHeight = Job.HeightOfA(HeaderFont);
        Job.MakeRoom(2 * headingHeight);
        Job.Print(HeaderFont, heading, headingHeight);
        PrintMenuParameters(Job, menuId, columnHeader);
    }
}
