#pragma once
// The identification that follows the unit selection: "rt" (type), "rh" and "rx" (two further
// identification texts), strictly one after the other, each sent from the previous reply.
#include <string>
#include <string_view>

namespace device {

// The first four characters of a type text.
std::string ModelOfType(std::string_view typeText);
bool IsSupportedModel(std::string_view model); // KM40 or KM41

class IdentificationChain {
public:
    struct Outcome {
        int statusPanel = -1;    // status bar panel that shows the text (2, 3 or 4)
        std::string text;        // the reply value to show there
        bool warnWrongModel = false; // show the wrong-model warning before the next request
        std::string nextCommand; // empty: the chain ends
    };

    // Port activation: the reply to "rt" is awaited next.
    void Start() { step_ = 0; }

    int IdentificationStep() const { return step_; }
    const std::string& DeviceModel() const { return model_; }

    // The command whose reply is awaited now ("rt", "rh" or "rx").
    std::string_view AwaitedCommand() const;

    // A reply value for the awaited command; the warning needs a loaded language file.
    Outcome OnReply(std::string_view value, bool languageLoaded);
    // A reply that does not repeat the awaited command: its text is not taken over, the panel
    // shows the failed-request sign, and the chain goes on so that nothing stalls unseen.
    Outcome OnForeignReply();
    // The awaited request failed (no reply, a lost line): its panel shows the failed-request
    // sign, so the identification is not taken for finished, and the chain ends there.
    Outcome OnError();

private:
    Outcome advance(std::string text);

    int step_ = 0;
    std::string model_;
};

} // namespace device
