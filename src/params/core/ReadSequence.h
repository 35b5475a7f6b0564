#pragma once
// Reading the whole parameter set (numbers 0..399, "rp n"), the whole setpoint set (1..48, "rs n")
// or both from the connected controller, one request after the other, each sent from the handler of
// the previous reply. The values are held here until the caller takes them over on OK; the shared
// value tables are never touched.
//
// A reply must echo "rp" (or "rs") and carry a decimal 32-bit value after the echoed number. A reply
// that does not is asked for once more; a second one in a row stops the run with the wrong-reply
// text naming the request ("P[017]" / "S[005]").
//
// Panel texts are keys of the language section "LeesParSoll": 0 time-out, 1 communication error,
// 2 reading parameter (+ number), 3 all parameters read, 4 reading setpoint (+ number), 5 all
// setpoints read, 6 everything read, 7 wrong reply.

#include "app/core/Global_var.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/TransferSequence.h"

class TReadSequence : public TTransferSequence {
public:
    // The component KT750LeesParSoll is bound to Port (may be null: bind later with SetZBComm).
    explicit TReadSequence(TZBComm* Port = nullptr);

    void SetZBComm(TZBComm* Port) { KT750LeesParSoll.SetZBComm(Port); }

    void Start() override;
    bool AskAgainAfterLateReport(const TCommError& CommError) override;

    // The values of the last run; complete only after a run that finished.
    const TParameterValues& ReadParameters() const { return readParameters_; }
    const TSetpointValues& ReadSetpoints() const { return readSetpoints_; } // index 1..48

    // No head character, foot CR, 1000 ms for the first reply byte.
    TKT750Protocol KT750LeesParSoll;
    static constexpr int TimeoutTime = 1000;

    void KT750LeesParSollCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750LeesParSollCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);

private:
    std::string CurrentRequest() const;
    void RequestCurrent();

    TParameterValues readParameters_{};
    TSetpointValues readSetpoints_{};
};
