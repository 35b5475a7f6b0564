#pragma once
// The single "bp" exchange that tells the controller to compute its internal values from its
// parameter set: "bp -1" is success, "bp " followed by anything else is the controller's report of
// a failed computation. No retry of a time-out or line error: it is shown and the user starts
// again. A reply that answers no "bp" at all is asked for once more, as the write run asks (a
// computation may be repeated).
//
// Panel texts are keys of the language section "Loader": 0 time-out, 2 communication error,
// 4 computed, 5 and 6 before and after the reported text.

#include <functional>
#include <string>

#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "params/core/TransferView.h"

class TComputeParameters {
public:
    // KT750ParLoader is bound to Port (may be null: bind later with SetZBComm).
    explicit TComputeParameters(TZBComm* Port = nullptr);
    TComputeParameters(const TComputeParameters&) = delete;
    TComputeParameters& operator=(const TComputeParameters&) = delete;

    void SetZBComm(TZBComm* Port) { KT750ParLoader.SetZBComm(Port); }

    // Sends "bp" and clears the panel; nothing while an earlier "bp" is still unanswered. A closed
    // port ends at once as PortClosed (communication text).
    void Start();

    // The window that showed the run has closed: a wrong reply that still comes is not asked for
    // again, so nothing goes out unseen.
    void Dismiss() { askedAgain_ = true; }

    // Outcome Running while waiting; Finished, ComputeFailed, Timeout, CommError, PortClosed or
    // OtherError afterwards. OK is always enabled.
    const TTransferView& View() const { return view_; }

    std::function<void()> OnChanged;
    // Every computation reply, success or not, also one that arrives after the window closed
    // (the caller clears its "sent but not computed" mark here).
    std::function<void(bool Success, const std::string& Report)> OnComputed;

    // Foot CR, TimeoutTime 0 (the port's 100 ms).
    TKT750Protocol KT750ParLoader;
    static constexpr int TimeoutTime = 0;

    void KT750ParLoaderCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750ParLoaderCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);

private:
    void Changed();

    TTransferView view_;
    bool askedAgain_ = false;
};
