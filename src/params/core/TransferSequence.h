#pragma once
// Common ground of the read and write runs: one request outstanding at a time, the walk through
// the parameters and then (or only) the setpoints, one wrong reply asked for again, the buttons OK,
// Again and Cancel, the error reports of the protocol components, and the way out when the port
// closes under a running request.
//
// Cancel while a request is outstanding only marks the abort; the run closes with Cancel when that
// request's reply or error arrives. Whenever nothing can arrive any more - the run failed or
// finished, an error report ended the request, or the port is closed - Cancel closes at once, so a
// window never waits for an event that will not come.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/core/Global_var.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/TransferView.h"

class TTransferSequence {
public:
    virtual ~TTransferSequence() = default;
    TTransferSequence(const TTransferSequence&) = delete;
    TTransferSequence& operator=(const TTransferSequence&) = delete;

    TTransferMode Mode() const { return mode_; }
    void SetMode(TTransferMode Mode) { mode_ = Mode; }

    // StartCommunicatie: clears the run's flags and sends the first request. Also what Again does.
    virtual void Start() = 0;

    // CmdOKClick: closes with OK when OK is enabled.
    void OK();
    // CmdAgainClick: restarts from the first value when Again is enabled.
    void Again();
    // CmdCancelClick: see above.
    void Cancel();

    const TTransferView& View() const { return view_; }
    // True while the run waits for a reply or error of its own request.
    bool RequestOutstanding() const { return outstanding_; }

    // A line error the line reported for the finished run's last replies after it had ended
    // (ceEarlierReply): true when the run asks for them again, as for a report during the run, and
    // goes on to its end once more.
    virtual bool AskAgainAfterLateReport(const TCommError& CommError) = 0;

    // Every change of View(), after it happened.
    std::function<void()> OnChanged;
    // The run asks its window to close with this result (also after a Cancel that waited).
    std::function<void(TTransferResult)> OnClose;
    // A request failed with this error and the run stopped (after OnChanged showed it).
    std::function<void(const TCommError&)> OnCommError;
    // The port the run's requests go to (none before one is bound).
    TZBComm* Port() const;

protected:
    TTransferSequence() = default;

    // The components whose port the run watches; their OnDeactivate (raised when the port closes)
    // ends a running request.
    void Watch(TKT750Protocol& Component);
    // Clears the flags and buttons as every start does and shows the run's first value: setpoint 1
    // when only setpoints are transferred, parameter 0 otherwise.
    void BeginRun();
    // Sends Text on Component and announces the change; a closed port ends the run at once as
    // PortClosed. Callers update the view first: Send is the last step of a handler.
    void Send(TKT750Protocol& Component, const std::string& Text);
    // A reply or error of the run's request arrived. False when the handler must do nothing more:
    // no request of this run is outstanding (a stale event), or Cancel was pressed meanwhile and
    // the run has asked to close with Cancel.
    bool TakeEvent();
    // Stops the run with a red panel text.
    void Fail(const TPanelText& Panel, TTransferOutcome Outcome);
    // The shared error handler (after TakeEvent): time-out and line/system errors fail the run;
    // any other report keeps the panel and offers Again.
    void HandleCommError(const TCommError& CommError);
    // A wrong reply to the current request. The first in a row returns true: the caller asks once
    // more. The second fails the run with the wrong-reply text naming the request ("P[017]").
    bool RetryWrongReply(const std::string& Request, const std::vector<uint8_t>& Reply);
    // A line error reported for the reply before the current request's (ceEarlierReply), with no
    // retry under way: true when the caller asks again, as for a wrong reply; a read steps back
    // first (StepBack), since the value it took may be wrong.
    bool RetryAfterEarlierReply(const TCommError& CommError);
    // For AskAgainAfterLateReport: true, with the run running again, when it had finished and
    // CommError is a first late report.
    bool ReopenAfterLateReport(const TCommError& CommError);
    // Makes the value Count before the current one (the last parameter comes before setpoint 1)
    // the current one again, and shows it; at the run's first value it stays.
    void StepBack(int Count);
    // A good reply ends a retry and a red panel.
    void AcceptReply();
    // Moves on to the next value of the set being transferred and shows it; false, with nothing
    // changed, when the set's last value is done.
    bool ShowNextValue();
    // Moves on from the last parameter to setpoint 1.
    void ShowFirstSetpoint();
    // The run completed: OK enabled and focused, Again enabled.
    void Finish(TTransferOutcome Outcome);
    void Changed();
    // The texts both runs' panels share: PanelTekst0 time-out, 1 communication error, 2 the
    // parameter and 4 the setpoint being transferred (+ number), 7 wrong reply.
    static constexpr int TimeoutTextKey = 0;
    static constexpr int CommErrorTextKey = 1;
    static constexpr int ParameterTextKey = 2;
    static constexpr int SetpointTextKey = 4;
    static constexpr int WrongReplyTextKey = 7;

    // Parameters are numbered 0..399, setpoints 1..48.
    static constexpr int LastParameter = ParameterCount - 1;
    static constexpr int LastSetpoint = SetpointCount;

    TTransferView view_;
    TTransferMode mode_ = TTransferMode::Parameters;

private:
    // Shows value Number of the parameters or the setpoints as the one being transferred.
    void ShowValue(bool Parameters, int Number);
    void PortDeactivated();
    void CloseWith(TTransferResult Result);
    bool PortActive() const;

    std::vector<TKT750Protocol*> watched_;
    bool outstanding_ = false;
    bool running_ = false; // between a start and the close request
};
