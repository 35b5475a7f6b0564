#include "app/core/CsvText.h"

std::string CsvField(const std::string& Text)
{
    if (Text.find_first_of(",\"\r\n") == std::string::npos)
        return Text;
    std::string quoted(1, '"');
    for (char c : Text) {
        if (c == '"')
            quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

std::string CsvLine(const std::vector<std::string>& Fields)
{
    std::string line;
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        if (i)
            line.push_back(',');
        line.append(CsvField(Fields[i]));
    }
    return line;
}

std::optional<std::vector<std::string>> SplitCsvLine(std::string_view Line, char Separator)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        std::string field;
        if (at < Line.size() && Line[at] == '"') {
            ++at;
            for (;;) {
                if (at >= Line.size())
                    return std::nullopt;
                if (Line[at] == '"') {
                    if (at + 1 < Line.size() && Line[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += Line[at++];
            }
            if (at < Line.size() && Line[at] != Separator)
                return std::nullopt;
        } else {
            const std::size_t comma = Line.find(Separator, at);
            const std::size_t end = comma == std::string_view::npos ? Line.size() : comma;
            field = std::string(Line.substr(at, end - at));
            if (field.find('"') != std::string::npos)
                return std::nullopt;
            at = end;
        }
        fields.push_back(std::move(field));
        if (at >= Line.size())
            return fields;
        ++at; // the comma
    }
}
