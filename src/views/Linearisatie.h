#pragma once
// TFormLinearisatie: the linearisation curve (points X/Y in parameters 140..199, count in 247) as
// a graph with axis strips, a quadrant preview for the mirrored modes, point picking by mouse
// or spin box, and editing X or Y of the picked point through the single-parameter dialog.
#include "views/ModalView.h"
#include "views/core/LinearisationGeometry.h"


#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TPaintBox;

class TFormLinearisatie : public TModalView {
    Q_OBJECT
public:
    explicit TFormLinearisatie(QWidget* Parent = nullptr);
    ~TFormLinearisatie() override;

    void FormActivate() override;
    void FormClose() override;
    void Image1MouseMove(QPoint Position);
    void Image1Click();
    void SpinEdit_GrafiekPuntChange();
    void SpinEditDotChange();
    void CheckHulplijnenXasClick();
    void CheckHulplijnenYasClick();
    void cmdEdit_XClick();
    void cmdEdit_YClick();

    void Ber_en_Teken_XY();
    void TekenGrafiek();
    void TekenGrafiek_sub();
    void Teken_X_Lijn();
    void Teken_Y_Lijn();
    void SetSpinEditGrafiek();
    // The option text of parameter p for its value (empty when there is none).
    QString LaadParOpties(int Parameter) const;

    int PointCount() const { return static_cast<int>(points_.size()); }
    const std::vector<views::PixelPoint>& PointPixels() const { return pixels_; }

    TPaintBox* Image1 = nullptr;
    TPaintBox* ImageX = nullptr;
    TPaintBox* ImageY = nullptr;
    TPaintBox* Image6 = nullptr;
    QLabel* LabelXas = nullptr;
    QLabel* LabelYas = nullptr;
    QFrame* Lijn_X = nullptr;
    QFrame* Lijn_Y = nullptr;
    QLabel* LabelXasSub = nullptr;
    QLabel* LabelYasSub = nullptr;
    std::array<QLabel*, 4> LabelQ{}; // LabelQ1 .. LabelQ4
    QSpinBox* SpinEditDot = nullptr;
    QLabel* LabelPuntGrootte = nullptr;
    QSpinBox* SpinEdit_GrafiekPunt = nullptr;
    QLabel* Label_LabelGrafiekPunt = nullptr;
    QGroupBox* GroupBox_Xas = nullptr;
    QLabel* Panel_PX = nullptr;
    QCheckBox* CheckHulplijnenXas = nullptr;
    QGroupBox* GroupBox_Yas = nullptr;
    QLabel* Panel_PY = nullptr;
    QCheckBox* CheckHulplijnenYas = nullptr;
    QGroupBox* GroupBoxLin = nullptr;
    QLabel* LabelMode = nullptr;
    QLabel* PanelMode = nullptr;
    QLabel* LabelBron = nullptr;
    QLabel* PanelBron = nullptr;
    QPushButton* cmdEdit_X = nullptr;
    QPushButton* cmdEdit_Y = nullptr;

private:
    void ApplyTexts();
    void LoadPoints();
    void ClearStrips();
    void DrawPointCircle(int Index, const QColor& Fill);
    void EditParameter(int Parameter);
    int SelectedIndex() const;

    std::vector<views::LinPoint> points_;
    views::LinScale scale_;
    std::vector<views::PixelPoint> pixels_;
    QPoint lastMouse_;
    int dotRadius_ = 1;
};

extern TFormLinearisatie* FormLinearisatie;
