#pragma once
// The entry field of the single-parameter dialog: which typed keys it takes, and how its text
// becomes a raw value. The text is single-byte; positions count characters.

#include <cstdint>
#include <string>
#include <string_view>

struct TEntryLimits {
    int32_t Decimals = 0;  // resolved decimals of the parameter
    int32_t Min = 0;       // raw limits
    int32_t Max = 0;
    int IntegerDigits = 0; // longest integer part of the shown limits
};

// The field as a key finds it. With a selection, Cursor is where the selection starts.
struct TEntryField {
    std::string Text;
    int Cursor = 0;
    int SelectionLength = 0;
};

inline constexpr char BackspaceKey = '\b';

struct TEntryKeyResult {
    enum class TAction {
        Reject,     // the key is dropped
        Insert,     // Key is typed as usual (replacing a selection; backspace deletes)
        ReplaceText // the field becomes Text with the caret at Cursor; the key itself is dropped
    };
    TAction Action = TAction::Reject;
    char Key = 0;
    std::string Text;
    int Cursor = 0;
};

// The key filter, its rules applied in order: only backspace, digits, "," "-" "." ("." typed as
// ","); "," only with decimals and once; "-" only with a negative Min and once (unless a selection
// is typed over); nothing in front of the "-"; "-" elsewhere puts the sign in front; with nothing
// selected, no more integer digits than IntegerDigits and no more decimals than Decimals.
TEntryKeyResult FilterEntryKey(const TEntryField& Field, char Key, const TEntryLimits& Limits);

// The larger integer-part length of the two shown limits ("-10,00" and "50,00" give 2): the text
// without its first "-", up to the "," when there are decimals.
int IntegerDigitsOf(std::string_view MinText, std::string_view MaxText, int32_t Decimals);

enum class TEntryCheck {
    Ok,
    TooManyDigits, // more than eight digits once the decimals are filled up
    OutOfRange     // outside Min..Max, or no number at all
};

struct TEntryValue {
    TEntryCheck Check = TEntryCheck::OutOfRange;
    int32_t Value = 0;
};

// The field's text as a raw value: empty is 0, missing decimals are filled with zeros (1,5 with
// two decimals is 150). A text the key filter cannot produce (more decimals than allowed, a sign
// not in front, other characters) is refused as out of range rather than read at a wrong scale.
TEntryValue CheckEntry(std::string_view Text, const TEntryLimits& Limits);
