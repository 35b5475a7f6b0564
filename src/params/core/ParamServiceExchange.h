#pragma once
// The two exchanges of the single-parameter dialog: "wp n v" writes one value, "bp" has the
// controller compute its parameters. One request at a time; the dialog's buttons stay disabled
// while it is outstanding. The status text is made of the dialog's language texts
// (section "ParamService", PanelTekst0..10).
//
// A write reply that begins with "er 7" is the controller's refusal; one that repeats "wp" with
// the number and a value is the confirmation. Anything else confirms nothing and is shown as a
// communication error, so a garbled reply is never taken for a written value; likewise a "bp"
// reply that reports no number is not taken for a computation result. Whenever a write's outcome is unknown (no
// reply, a garbled one, the port closed under it) ParametersSentNotLoaded is set all the same:
// the controller may hold the value.

#include <cstdint>
#include <functional>

#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/TransferView.h"

class TParamServiceExchange {
public:
    // Panel texts of section "ParamService".
    static constexpr int TimeoutText = 0;
    static constexpr int SendingText = 1;
    static constexpr int OutOfRangeText = 2;
    static constexpr int TooManyDigitsText = 3;
    static constexpr int WrittenText = 4;
    static constexpr int CommErrorText = 5;
    static constexpr int RefusedText = 6;
    static constexpr int ComputeFailedBeforeText = 7;
    static constexpr int ComputeFailedAfterText = 8;
    static constexpr int ComputingText = 9;
    static constexpr int ComputedText = 10;

    static constexpr int WriteTimeoutTime = 500;
    static constexpr int ComputeTimeoutTime = 2000;

    explicit TParamServiceExchange(TZBComm* Port = nullptr);
    TParamServiceExchange(const TParamServiceExchange&) = delete;
    TParamServiceExchange& operator=(const TParamServiceExchange&) = delete;

    void SetZBComm(TZBComm* Port);

    // "wp Number Value". With the port closed nothing is sent and the status says so.
    void SendValue(int Number, int32_t Value);
    // "bp"; the same for a closed port.
    void Compute();

    bool Busy() const { return busy_; }
    const TPanelText& Status() const { return status_; }
    bool StatusRed() const { return red_; }
    void SetStatus(const TPanelText& Status, bool Red);

    // Status or Busy changed.
    std::function<void()> OnChanged;
    // A request failed with this error (after OnChanged showed it).
    std::function<void(const TCommError&)> OnCommError;

    TKT750Protocol KT750ZendServiceParameter;
    TKT750Protocol KT750ServiceBerPar;

    void KT750ZendServiceParameterCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750ServiceBerParCommResult(TObject* Sender, TMemoryStream& Result);
    // Errors of either exchange.
    void KT750ZendServiceParameterCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);

private:
    bool Send(TKT750Protocol& Component, const std::string& Request, int BusyText);
    void Done(const TPanelText& Status, bool Red);
    void WriteOutcomeUnknown();

    bool busy_ = false;
    const TKT750Protocol* outstanding_ = nullptr; // the component whose request is out
    TPanelText status_;
    bool red_ = false;
};
