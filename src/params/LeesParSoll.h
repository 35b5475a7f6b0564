#pragma once
// TFormLeesParSoll: the modal progress window that reads all parameters, all setpoints, or both from
// the controller (read mode 0..3) and holds them until its caller takes them over after an OK result.
// It never writes the program's value tables itself.

#include "app/core/Global_var.h"
#include "comm/ZBComm.h"
#include "params/TransferWindow.h"
#include "params/core/ReadSequence.h"

class TFormLeesParSoll : public TTransferWindow {
    Q_OBJECT
public:
    // The window's component KT750LeesParSoll is bound to Port (the main window's ZBComm1).
    explicit TFormLeesParSoll(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormLeesParSoll() override;

    // The values of the last run: complete after an OK result.
    const TParameterValues& ReadParameters() const { return Sequence().ReadParameters(); }
    const TSetpointValues& ReadSetpoints() const { return Sequence().ReadSetpoints(); }

    TReadSequence& Sequence() { return static_cast<TReadSequence&>(sequence()); }
    const TReadSequence& Sequence() const { return static_cast<const TReadSequence&>(sequence()); }

protected:
    void ApplyTexts() override;
};

// The program's one read window (null until created).
extern TFormLeesParSoll* FormLeesParSoll;
