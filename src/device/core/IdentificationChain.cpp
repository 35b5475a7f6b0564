#include "device/core/IdentificationChain.h"

namespace device {

std::string ModelOfType(std::string_view typeText)
{
    return std::string(typeText.substr(0, 4));
}

bool IsSupportedModel(std::string_view model)
{
    return model == "KM40" || model == "KM41";
}

std::string_view IdentificationChain::AwaitedCommand() const
{
    switch (step_) {
    case 0: return "rt";
    case 1: return "rh";
    default: return "rx";
    }
}

IdentificationChain::Outcome IdentificationChain::OnReply(std::string_view value, bool languageLoaded)
{
    Outcome outcome;
    outcome.text = std::string(value);
    switch (step_) {
    case 0:
        outcome.statusPanel = 2;
        model_ = ModelOfType(value);
        outcome.warnWrongModel = languageLoaded && !IsSupportedModel(model_);
        outcome.nextCommand = "rh";
        step_ = 1;
        break;
    case 1:
        outcome.statusPanel = 3;
        outcome.nextCommand = "rx";
        step_ = 2;
        break;
    default:
        outcome.statusPanel = 4;
        break;
    }
    return outcome;
}

} // namespace device
