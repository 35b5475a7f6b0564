#include "params/core/TransferView.h"

#include <utility>

TTransferMode TransferModeFromInt(int mode)
{
    switch (mode) {
    case 1:
        return TTransferMode::Setpoints;
    case 2:
        return TTransferMode::ParametersAndSetpoints;
    case 3:
        return TTransferMode::Device;
    default:
        return TTransferMode::Parameters;
    }
}

TPanelText TPanelText::Of(int Key)
{
    TPanelText panel;
    panel.Key = Key;
    return panel;
}

TPanelText TPanelText::Of(int Key, std::string Argument)
{
    TPanelText panel = Of(Key);
    panel.Argument = std::move(Argument);
    return panel;
}

TPanelText TPanelText::Of(int Key, std::string Argument, int TrailingKey)
{
    TPanelText panel = Of(Key, std::move(Argument));
    panel.TrailingKey = TrailingKey;
    return panel;
}

TPanelText TPanelText::Literal(std::string Prefix, int Key)
{
    TPanelText panel;
    panel.Prefix = std::move(Prefix);
    panel.Key = Key;
    return panel;
}

std::string ComposePanelText(const TPanelText& panel, const std::function<std::string(int key)>& Text)
{
    std::string text = panel.Prefix;
    if (panel.Key >= 0)
        text += Text(panel.Key);
    // Appended piece by piece: `" " + text` makes GCC 12 warn (-Wrestrict) at -O3.
    if (panel.Argument) {
        text += ' ';
        text += *panel.Argument;
    }
    if (panel.TrailingKey >= 0) {
        text += ' ';
        text += Text(panel.TrailingKey);
    }
    return text;
}
