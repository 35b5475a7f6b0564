#pragma once
// TFormAfdrukkenPar: prints the parameter list, menu by menu as the tree file of the language
// orders them, under the page header with customer, type and serial number.

#include "views/PrintoutWindow.h"
#include "views/core/ParameterPrintout.h"

class TFormAfdrukkenPar : public TPrintoutWindow {
    Q_OBJECT
public:
    explicit TFormAfdrukkenPar(QWidget* Parent = nullptr);
    ~TFormAfdrukkenPar() override;

protected:
    void ApplyPrintoutTexts() override;
    void PrintBody(TPrintJob& Job) override;

private:
    TParameterColumnTexts columns_{};
};

// The program's one parameter printout window (null until created).
extern TFormAfdrukkenPar* FormAfdrukkenPar;
