#pragma once
// TFormDisplayNokken: the read-only cam display. A grid of the 24 cams over the 9 outputs, each
// used cam's cell filled in the colour of its function, and the details of the selected cam.
// Everything comes from the value tables and the last thumbwheel values; nothing is sent.
#include "views/ModalView.h"

#include <array>

class QLabel;
class QPainter;
class QRect;
class QTableWidget;

class TFormDisplayNokken : public TModalView {
    Q_OBJECT
public:
    explicit TFormDisplayNokken(QWidget* Parent = nullptr);
    ~TFormDisplayNokken() override;

    void FormActivate() override;
    void StringGrid1SelectCell(int Column, int Row);
    void StringGrid1DrawCell(QPainter& Painter, int Column, int Row, const QRect& Rect);
    void UpdateOnSelectedCell(int Column, int Row);

    QTableWidget* StringGrid1 = nullptr;
    QLabel* LabelNokNummer = nullptr;
    QLabel* PanelNokNummer = nullptr;
    QLabel* LabelFunctie = nullptr;
    QLabel* PanelFunctie = nullptr;
    QLabel* LabelBron = nullptr;
    QLabel* PanelBron = nullptr;
    QLabel* LabelAanvang = nullptr;
    QLabel* PanelAanvang = nullptr;
    QLabel* PanelSelectAanvang = nullptr;
    QLabel* LabelEinde = nullptr;
    QLabel* PanelEinde = nullptr;
    QLabel* PanelSelectEinde = nullptr;
    QLabel* LabelHysteresis = nullptr;
    QLabel* PanelHysteresis = nullptr;
    QLabel* LabelVervroeging = nullptr;
    QLabel* PanelVervroeging = nullptr;

    static constexpr int FixedColumnWidth = 74;
    static constexpr int ColumnWidth = 18;
    static constexpr int RowHeight = 18;

private:
    void ApplyTexts();
};

extern TFormDisplayNokken* FormDisplayNokken;
