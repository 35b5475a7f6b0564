#include "params/core/ParameterCatalogue.h"

#include <cstdio>
#include <optional>

#include "app/core/CommaText.h"
#include "app/core/IniFile.h"

TParameterCatalogue ParameterCatalogue;
bool CatalogueLoaded = false;

void TParameterCatalogue::Clear()
{
    text_.Clear();
}

void TParameterCatalogue::LoadFromText(std::string_view text)
{
    text_.LoadFromText(text);
}

bool TParameterCatalogue::LoadFromFile(const std::string& path)
{
    text_.Clear();
    return text_.LoadFromFile(path);
}

std::string TParameterCatalogue::SectionName(int n)
{
    char name[16];
    std::snprintf(name, sizeof name, "%03d", n);
    return name;
}

bool TParameterCatalogue::HasParameter(int n) const
{
    return text_.SectionExists(SectionName(n));
}

std::string TParameterCatalogue::Name(int n, int languageIndex) const
{
    return text_.ReadString(SectionName(n), "naam" + std::to_string(languageIndex), "");
}

int32_t TParameterCatalogue::ReadInteger(int n, std::string_view key, int32_t Default) const
{
    const std::string section = SectionName(n);
    if (!text_.ValueExists(section, key))
        return Default;
    const std::optional<int32_t> value = ParseIniInteger(text_.ReadString(section, key, ""));
    return value.value_or(Default);
}

int32_t TParameterCatalogue::Type(int n) const
{
    return ReadInteger(n, "type", 0);
}

int32_t TParameterCatalogue::Dec(int n) const
{
    return ReadInteger(n, "dec", 0);
}

int32_t TParameterCatalogue::Min(int n) const
{
    return ReadInteger(n, "min", 0);
}

int32_t TParameterCatalogue::Max(int n) const
{
    return ReadInteger(n, "max", 0);
}

int32_t TParameterCatalogue::Default(int n) const
{
    return ReadInteger(n, "default", 0);
}

std::vector<std::string> TParameterCatalogue::ResolveOptionList(int n, int languageIndex) const
{
    const std::string key = "opties" + std::to_string(languageIndex);
    std::vector<std::string> options = SplitCommaText(text_.ReadString(SectionName(n), key, ""));
    // A list that reads "#045" borrows the list of parameter 45 in the same language. The
    // reference is followed once only, so two parameters naming each other cannot loop.
    const std::string joined = JoinCommaText(options);
    if (!joined.empty() && joined[0] == '#')
        options = SplitCommaText(text_.ReadString(joined.substr(1), key, ""));
    return options;
}

int32_t ResolveDecimalsSelector(int32_t dec, const TParameterValues& parameterValues)
{
    if (dec == 9)
        dec = parameterValues[PositionDecimalsParameter];
    if (dec == 10)
        dec = parameterValues[LinPositionDecimalsParameter];
    return dec;
}

void ParameterDef_lezen()
{
    // The catalogue is data beside the program; without it the program runs with every
    // parameter undefined, so a missing or unreadable file is no error.
    if (ParameterCatalogue.LoadFromFile(ProgramDir + CatalogueFileName))
        CatalogueLoaded = true;
}

std::vector<std::string> ResolveOptionList(int n)
{
    return ParameterCatalogue.ResolveOptionList(n, LanguageIndex);
}

int32_t ResolveDecimals(int n)
{
    return ResolveDecimalsSelector(ParameterCatalogue.Dec(n), ParameterValues);
}

TParameterValues CatalogueDefaultValues()
{
    TParameterValues values{};
    for (int n = 0; n < ParameterCount; ++n)
        values[static_cast<std::size_t>(n)] = ParameterCatalogue.Default(n);
    return values;
}
