#include "device/core/IdentificationChain.h"

#include "device/core/ReplyValue.h"

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
    // Control bytes (a NUL, noise) are no identification text: the reply was garbled on the line.
    if (HasControlBytes(value))
        return OnForeignReply();
    if (step_ == 0)
        model_ = ModelOfType(value);
    const bool warn = step_ == 0 && languageLoaded && !IsSupportedModel(model_);
    Outcome outcome = advance(std::string(value));
    outcome.warnWrongModel = warn;
    return outcome;
}

IdentificationChain::Outcome IdentificationChain::OnForeignReply()
{
    // An unknown type is no wrong type: no warning, and no model left over from an earlier unit.
    if (step_ == 0)
        model_.clear();
    return advance(std::string(kFailedRequestText));
}

IdentificationChain::Outcome IdentificationChain::OnError()
{
    if (step_ == 0)
        model_.clear();
    Outcome outcome = advance(std::string(kFailedRequestText));
    outcome.nextCommand.clear();
    return outcome;
}

IdentificationChain::Outcome IdentificationChain::advance(std::string text)
{
    Outcome outcome;
    outcome.text = std::move(text);
    switch (step_) {
    case 0:
        outcome.statusPanel = 2;
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
