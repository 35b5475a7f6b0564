#pragma once
// TFormAfdrukkenSoll: prints the 48 setpoints on one page under the printouts' page header.

#include <string>

#include "views/PrintoutWindow.h"

class TFormAfdrukkenSoll : public TPrintoutWindow {
    Q_OBJECT
public:
    explicit TFormAfdrukkenSoll(QWidget* Parent = nullptr);
    ~TFormAfdrukkenSoll() override;

protected:
    void ApplyPrintoutTexts() override;
    void PrintBody(TPrintJob& Job) override;

private:
    std::string title_;
    std::string numberText_;
    std::string valueText_;
};

// The program's one setpoint printout window (null until created).
extern TFormAfdrukkenSoll* FormAfdrukkenSoll;
