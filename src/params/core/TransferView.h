#pragma once
// What a parameter/setpoint transfer run shows, independent of any toolkit: the read, write and
// computation engines keep one TTransferView up to date and announce every change; the windows turn
// it into panel texts, colours and button states, the command-line tool into progress lines.

#include <functional>
#include <optional>
#include <string>

#include "comm/ZBTypes.h"

// Which values a run transfers. Device is the whole-controller backup or restore: the same sequence
// as ParametersAndSetpoints with its own title and final text.
enum class TTransferMode { Parameters = 0, Setpoints = 1, ParametersAndSetpoints = 2, Device = 3 };

// Mode from the integer a caller sets; anything outside 0..3 reads parameters only.
TTransferMode TransferModeFromInt(int mode);

// How a window closes: OK only after a complete run, Cancel otherwise.
enum class TTransferResult { OK, Cancel };

enum class TTransferOutcome {
    Idle,          // not started yet
    Running,       // a request is outstanding
    Finished,      // the run completed (write: including a successful computation)
    ComputeFailed, // write/loader: "bp" answered with an error report (Report holds it); OK is offered
    Timeout,       // no reply in time
    CommError,     // line or system error
    WrongReply,    // wrong echo letters (or no usable value) twice for the same request
    Refused,       // write refused by the controller ("er 7")
    OtherValue,    // write confirmed with another value (Reply: "the controller holds X, not Y")
    PortClosed,    // the port closed during the run (or was closed at its start): no reply will come
    OtherError,    // an error report without time-out, system or line error: the panel is kept
};

// A panel text made of language texts (PanelTekst<Key> of the window's section) and literal parts:
//   Prefix + PanelTekst<Key> [+ " " + Argument] [+ " " + PanelTekst<TrailingKey>]
// Key -1 means no language text (the Prefix alone, e.g. "Bereken parameters", or an empty panel).
struct TPanelText {
    std::string Prefix;
    int Key = -1;
    std::optional<std::string> Argument;
    int TrailingKey = -1;

    // PanelTekst<Key>
    static TPanelText Of(int Key);
    // PanelTekst<Key> + " " + Argument
    static TPanelText Of(int Key, std::string Argument);
    // PanelTekst<Key> + " " + Argument + " " + PanelTekst<TrailingKey>
    static TPanelText Of(int Key, std::string Argument, int TrailingKey);
    // Prefix [+ PanelTekst<Key>]
    static TPanelText Literal(std::string Prefix, int Key = -1);

    bool operator==(const TPanelText&) const = default;
};

// Builds the text; Text(n) gives PanelTekst<n> of the caller's language section.
std::string ComposePanelText(const TPanelText& panel, const std::function<std::string(int key)>& Text);

struct TTransferView {
    TPanelText Panel;
    bool PanelRed = false;
    int ProgressMax = 0;
    int ProgressPosition = 0;

    int CurrentNumber = 0;   // parameter or setpoint being transferred
    bool Parameters = true;  // parameters (true) or setpoints (false) are being transferred
    bool Computing = false;  // "bp" is outstanding
    bool FailedComputing = false; // the run failed at "bp", not at a value

    bool OKEnabled = false;
    bool AgainEnabled = false;
    bool CancelEnabled = false;

    bool Finished = false;
    bool Failed = false;
    bool RetryPending = false;
    bool AbortRequested = false;

    TTransferOutcome Outcome = TTransferOutcome::Idle;
    std::string Reply;       // WrongReply: the reply's first four bytes; ComputeFailed: the report
    TCommError Error;        // the last error report of the run
};
