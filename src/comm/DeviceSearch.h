#pragma once
// The device search: steps through unit numbers 0..31 at every baud rate from 9600 to 57600 bit/s,
// optionally through the parities and stop-bit counts too, sends "sc n" to each combination and
// identifies every unit that echoes it ("rt", "rh", "rx"; a refused identification reply gives an
// empty text, the unit is listed all the same; a garbled one is asked for once more first). It drives the port directly: the
// settings change on the open line between probes. The search window and kmt40-cli both run it.
//
// One request is outstanding at a time; each reply or error makes the next step. The search pauses
// on every find (Continue goes on with the next combination), stops after a reply once a stop was
// requested (an identification under way is finished first and its unit listed: the pause on that
// find is the stop), and ends after the last baud rate.

#include "comm/FoundDevice.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"

#include <functional>
#include <string>
#include <vector>

class TDeviceSearch {
public:
    struct TOptions {
        TBaudrate StartBaudrate = TBaudrate::br9600; // one of 9600 .. 57600
        bool AutoParity = false;   // try None, Odd, Even (else keep the saved parity)
        bool AutoStopbits = false; // try 1 and 2 (else keep the saved stop bits)
        int HighestUnit = 31;      // unit numbers 0..HighestUnit
        int ProbeTimeoutMs = 0;    // first-byte time-out of each request; 0 = the library's 100 ms
    };
    enum class TState { Idle, Searching, Found, Stopped, Finished, LineLost };

    explicit TDeviceSearch(TZBComm& Port);
    TDeviceSearch(const TDeviceSearch&) = delete;
    TDeviceSearch& operator=(const TDeviceSearch&) = delete;

    // Remembers the port's baud rate, parity and stop bits (the window does so when it opens).
    void SaveSettings();
    // Closes the port and puts the remembered settings back, also when closing fails (whose
    // exception is passed on afterwards).
    void RestoreSettings();

    void SetOptions(const TOptions& Options);
    const TOptions& Options() const { return options_; }

    // A new search from unit 0 at the start baud rate. Opening the port may throw the port's
    // exceptions (ECommHandleError, ECommInitError); the search is then idle again.
    void Start();
    // Goes on with the combination after the one where the search paused or stopped.
    void Continue();
    // The search stops at the next reply or time-out.
    void RequestStop() { stopRequested_ = true; }
    bool StopRequested() const { return stopRequested_; }

    TState State() const { return state_; }
    bool Running() const { return state_ == TState::Searching; }
    int Unit() const { return unit_; }
    // Probes ("sc n") sent since Start.
    int ProbeCount() const { return probes_; }
    // The probes of a whole search at the options: every rate and combination, or the unit numbers
    // alone on a line whose settings are fixed at its server (known once the port is open).
    int ProbesToTry() const;
    const std::vector<TFoundDevice>& Found() const { return found_; }

    // Events, in the user-interface thread.
    std::function<void()> OnProbe;                     // the next probe goes out: show unit and settings
    std::function<void(const TFoundDevice&)> OnFound;  // a unit was identified; the search pauses
    std::function<void()> OnStopped;                   // stopped on request
    std::function<void()> OnFinished;                  // every combination was tried
    // The line failed for good (device gone, settings refused); the search has ended.
    std::function<void(const std::string& Message)> OnLineLost;

    // The search step: the next combination (or the first after Start), then its probe.
    void INC_ApparaatZoeken();
    void KT750ApparaatZoekenCommResult(TMemoryStream& Result);
    void ASCIILeesTypeInfoCommResult(TMemoryStream& Result);
    void KT750ApparaatZoekenCommError(TCommError& CommError);
    void ASCIILeesTypeInfoCommError(TCommError& CommError);

    TKT750Protocol KT750ApparaatZoeken; // "sc n"
    TKT750Protocol ASCIILeesTypeInfo;   // "rt", "rh", "rx"

private:
    // Moves to the next combination; false when the search has come round to its start baud rate.
    bool advance();
    void stopped();
    void lineLost(const std::string& Reason);
    void sendIdentification(const char* Command);
    // One identification reply's text (empty when refused or missing); after "rx" the unit is listed.
    void identified(const std::string& Text);
    // A device-gone error ends the search; true when it did.
    bool lostLine(const TCommError& CommError);
    // Runs a step from an event handler: a failing port ends the search instead of escaping.
    void nextStep();

    TZBComm& port_;
    TOptions options_;
    TState state_ = TState::Idle;
    bool starting_ = false;
    bool stopRequested_ = false;
    int unit_ = 0;
    int probes_ = 0;
    int identificationStep_ = 0;
    bool identificationAskedAgain_ = false; // the awaited identification reply was asked for again
    std::string identification_;
    TBaudrate startBaudrate_ = TBaudrate::br9600;
    TBaudrate savedBaudrate_ = TBaudrate::br9600;
    TParityBit savedParity_ = TParityBit::Even;
    TStopBit savedStopbits_ = TStopBit::sb_1;
    std::vector<TFoundDevice> found_;
};

// The text of a reply after the echo and its blank, without the two closing bytes; empty for a
// reply of fewer than 6 bytes or one with control bytes in its text.
std::string IdentificationReplyText(const std::vector<uint8_t>& Reply);
