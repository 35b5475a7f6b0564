#pragma once
// TFormSchrijfParSoll: the modal progress window that writes a whole parameter set, setpoint set, or
// both to the controller (write mode 0..3) and then has it compute its parameters ("bp", not in
// mode 1). The caller fills the values before opening; the program's value tables are not read here.

#include "app/core/Global_var.h"
#include "comm/ZBComm.h"
#include "params/TransferWindow.h"
#include "params/core/WriteSequence.h"

class TFormSchrijfParSoll : public TTransferWindow {
    Q_OBJECT
public:
    // Both components (KT750SchrijfParSoll, KT750BerekenParameters) are bound to Port.
    explicit TFormSchrijfParSoll(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormSchrijfParSoll() override;

    // The values to write (setpoints at index 1..48).
    void SetParameters(const TParameterValues& Values) { Sequence().SetParameters(Values); }
    void SetSetpoints(const TSetpointValues& Values) { Sequence().SetSetpoints(Values); }

    TWriteSequence& Sequence() { return static_cast<TWriteSequence&>(sequence()); }
    const TWriteSequence& Sequence() const { return static_cast<const TWriteSequence&>(sequence()); }

protected:
    void ApplyTexts() override;
};

// The program's one write window (null until created).
extern TFormSchrijfParSoll* FormSchrijfParSoll;
