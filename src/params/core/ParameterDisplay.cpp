#include "params/core/ParameterDisplay.h"

#include "app/core/Functies.h"
#include "params/core/ParameterCatalogue.h"

namespace {

bool IsParameterNumber(int n)
{
    return n >= 0 && n < ParameterCount;
}

} // namespace

std::string OptionText(const std::vector<std::string>& options, int32_t value)
{
    if (value < 0 || static_cast<std::size_t>(value) >= options.size())
        return NoOptionText;
    return options[static_cast<std::size_t>(value)];
}

std::string ParameterValueText(int n)
{
    if (!IsParameterNumber(n))
        return "";
    return FormatFixed(ParameterCatalogue.Dec(n), ParameterValues[static_cast<std::size_t>(n)]);
}

std::string ParameterOptionText(int n)
{
    if (!IsParameterNumber(n) || ParameterCatalogue.Type(n) != ParameterTypeOptions)
        return "";
    return OptionText(ResolveOptionList(n), ParameterValues[static_cast<std::size_t>(n)]);
}

TSelectedParameter SelectedParameterOf(int n)
{
    TSelectedParameter selected;
    selected.Number = TParameterCatalogue::SectionName(n);
    selected.Name = ParameterCatalogue.Name(n, LanguageIndex);
    const int32_t dec = ParameterCatalogue.Dec(n);
    selected.ValueText = ParameterValueText(n);
    selected.Min = ParameterCatalogue.Min(n);
    selected.MinText = FormatFixed(dec, selected.Min);
    selected.Max = ParameterCatalogue.Max(n);
    selected.MaxText = FormatFixed(dec, selected.Max);
    selected.DefaultText = FormatFixed(dec, ParameterCatalogue.Default(n));
    return selected;
}
