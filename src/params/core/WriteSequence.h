#pragma once
// Writing a whole parameter set ("wp n value", 0..399), a whole setpoint set ("ws n value", 1..48)
// or both to the connected controller, one request after the other, and then letting the controller
// compute its internal values from the parameters ("bp"; not after setpoints only). The caller fills
// the values before starting; the shared value tables are never read here.
//
// "er 7" as the reply to a write is the controller's refusal and stops the run at once. A reply that
// does not echo "wp" (or "ws") with the number and a value is answered by sending the same write once
// more; a second one in a row stops the run with the wrong-reply text. "bp -1" means the computation
// succeeded; any other reported number ends the run with the red computation-failed text, OK still
// offered. A "bp" reply that is no report at all is asked for once more, like a wrong write reply.
//
// Panel texts are keys of the language section "SchrijfParSoll": 0 time-out, 1 communication error,
// 2 writing parameter (+ number), 3 computed (mode 0), 4 writing setpoint (+ number), 5 setpoints
// written (mode 1), 6 computed (mode 2), 7 wrong reply, 8 computed (mode 3), 9 refused (after
// "(er 7) "), 10 and 11 before and after the computation's report. While "bp" runs the panel shows
// the fixed text "Bereken parameters".

#include "app/core/Global_var.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/TransferSequence.h"

inline constexpr char ComputingPanelText[] = "Bereken parameters";

class TWriteSequence : public TTransferSequence {
public:
    // Both components are bound to Port (may be null: bind later with SetZBComm).
    explicit TWriteSequence(TZBComm* Port = nullptr);

    void SetZBComm(TZBComm* Port);

    // The values to write; set them before Start (index 1..48 for setpoints, element 0 unused).
    void SetParameters(const TParameterValues& Values) { parameters_ = Values; }
    void SetSetpoints(const TSetpointValues& Values) { setpoints_ = Values; }
    const TParameterValues& Parameters() const { return parameters_; }
    const TSetpointValues& Setpoints() const { return setpoints_; }

    void Start() override;
    bool AskAgainAfterLateReport(const TCommError& CommError) override;

    // "wp"/"ws": foot CR, TimeoutTime 0 (the port's 100 ms).
    TKT750Protocol KT750SchrijfParSoll;
    // "bp": foot CR, 2000 ms, since the computation takes the controller a while.
    TKT750Protocol KT750BerekenParameters;
    static constexpr int WriteTimeoutTime = 0;
    static constexpr int ComputeTimeoutTime = 2000;

    void KT750SchrijfParSollCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750BerekenParametersCommResult(TObject* Sender, TMemoryStream& Result);
    // Shared by both components.
    void KT750SchrijfParSollCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);

private:
    std::string CurrentRequest() const;
    void WriteCurrent();
    void StartComputation();

    TParameterValues parameters_{};
    TSetpointValues setpoints_{};
};
