#include "views/Linearisatie.h"

#include "app/core/Functies.h"
#include "app/core/Global_var.h"
#include "params/Latin1Text.h"
#include "params/ParamService.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "views/PaintBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

TFormLinearisatie* FormLinearisatie = nullptr;

namespace {

constexpr char Section[] = "Linearisatie";
constexpr int kStripWidth = 80;
constexpr int kXStripHeight = 30;
constexpr int kXStripWidth = views::LinGraphWidth + 50; // room for the last label
constexpr int kMargin = 8;
constexpr int kTop = 28;

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

QLabel* MakePanel(QWidget* Parent, const QString& Name, bool Bold)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setMinimumWidth(90);
    panel->setMargin(2);
    QFont font = panel->font();
    font.setBold(Bold);
    panel->setFont(font);
    return panel;
}

QLabel* MakeLabel(QWidget* Parent, const QString& Name, const QString& Text)
{
    auto* label = new QLabel(Text, Parent);
    label->setObjectName(Name);
    return label;
}

QPen DottedBlack()
{
    return QPen(Qt::black, 0, Qt::DotLine);
}

} // namespace

TFormLinearisatie::TFormLinearisatie(QWidget* Parent) : TModalView(Parent)
{
    setObjectName(QStringLiteral("FormLinearisatie"));
    setModal(true);
    setWindowTitle(QStringLiteral("Lin Grafiek"));
    if (!FormLinearisatie)
        FormLinearisatie = this;

    const int graphLeft = kMargin + kStripWidth;
    Image1 = new TPaintBox(QStringLiteral("Image1"), {views::LinGraphWidth, views::LinGraphHeight}, this);
    Image1->move(graphLeft, kTop);
    Image1->setAccessibleName(QStringLiteral("Lin Grafiek"));
    ImageY = new TPaintBox(QStringLiteral("ImageY"), {kStripWidth, views::LinGraphHeight}, this);
    ImageY->move(kMargin, kTop);
    ImageX = new TPaintBox(QStringLiteral("ImageX"), {kXStripWidth, kXStripHeight}, this);
    ImageX->move(graphLeft, kTop + views::LinGraphHeight);
    LabelYas = MakeLabel(this, QStringLiteral("LabelYas"), QStringLiteral("Y"));
    LabelYas->move(kMargin + kStripWidth - 30, 6);
    LabelXas = MakeLabel(this, QStringLiteral("LabelXas"), QStringLiteral("X"));
    LabelXas->move(graphLeft + kXStripWidth + 4, kTop + views::LinGraphHeight + 8);

    const int previewLeft = graphLeft + views::LinGraphWidth + 60;
    Image6 = new TPaintBox(QStringLiteral("Image6"), {views::LinPreviewSize, views::LinPreviewSize}, this);
    Image6->move(previewLeft, kTop);
    Lijn_X = new QFrame(Image6);
    Lijn_X->setObjectName(QStringLiteral("Lijn_X"));
    Lijn_X->setFrameStyle(QFrame::HLine | QFrame::Plain);
    Lijn_X->setGeometry(0, 100, views::LinPreviewSize, 1);
    Lijn_Y = new QFrame(Image6);
    Lijn_Y->setObjectName(QStringLiteral("Lijn_Y"));
    Lijn_Y->setFrameStyle(QFrame::VLine | QFrame::Plain);
    Lijn_Y->setGeometry(100, 0, 1, views::LinPreviewSize);
    LabelXasSub = MakeLabel(Image6, QStringLiteral("LabelXasSub"), QStringLiteral("X"));
    LabelXasSub->move(views::LinPreviewSize - 10, 86);
    LabelYasSub = MakeLabel(Image6, QStringLiteral("LabelYasSub"), QStringLiteral("Y"));
    LabelYasSub->move(104, 2);
    const std::array<QPoint, 4> quadrantCorners{QPoint(160, 80), QPoint(10, 80), QPoint(10, 104), QPoint(160, 104)};
    for (std::size_t i = 0; i < LabelQ.size(); ++i) {
        LabelQ[i] = MakeLabel(Image6, QStringLiteral("LabelQ%1").arg(i + 1), QStringLiteral("Q%1").arg(i + 1));
        LabelQ[i]->move(quadrantCorners[i]);
    }

    // The controls below the graph.
    auto* controls = new QWidget(this);
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto addSpin = [&](QSpinBox*& spin, QLabel*& label, const QString& spinName, const QString& labelName,
                       const QString& text) {
        auto* box = new QVBoxLayout;
        label = MakeLabel(controls, labelName, text);
        spin = new QSpinBox(controls);
        spin->setObjectName(spinName);
        spin->setMinimumWidth(60);
        label->setBuddy(spin);
        box->addWidget(label);
        box->addWidget(spin);
        box->addStretch();
        row->addLayout(box);
    };
    addSpin(SpinEditDot, LabelPuntGrootte, QStringLiteral("SpinEditDot"), QStringLiteral("LabelPuntGrootte"),
            QStringLiteral("Grootte"));
    SpinEditDot->setRange(0, PuntGrootteMax);
    SpinEditDot->setValue(1);
    addSpin(SpinEdit_GrafiekPunt, Label_LabelGrafiekPunt, QStringLiteral("SpinEdit_GrafiekPunt"),
            QStringLiteral("Label_LabelGrafiekPunt"), QStringLiteral("Punt"));
    SpinEdit_GrafiekPunt->setRange(1, 1);
    // Arrows only: a typed number would pick points half-way through typing.
    for (QSpinBox* spin : {SpinEditDot, SpinEdit_GrafiekPunt}) {
        spin->setKeyboardTracking(false);
        if (auto* edit = spin->findChild<QLineEdit*>())
            edit->setReadOnly(true);
    }

    auto axisGroup = [&](QGroupBox*& group, QLabel*& panel, QCheckBox*& check, const QString& axis) {
        group = new QGroupBox(axis, controls);
        group->setObjectName(QStringLiteral("GroupBox_") + axis + QStringLiteral("as"));
        auto* box = new QVBoxLayout(group);
        panel = MakePanel(group, QStringLiteral("Panel_P") + axis, true);
        panel->setAccessibleName(axis);
        check = new QCheckBox(axis + QStringLiteral(" Lijnen"), group);
        check->setObjectName(QStringLiteral("CheckHulplijnen") + axis + QStringLiteral("as"));
        box->addWidget(panel);
        box->addWidget(check);
        row->addWidget(group);
    };
    axisGroup(GroupBox_Xas, Panel_PX, CheckHulplijnenXas, QStringLiteral("X"));
    axisGroup(GroupBox_Yas, Panel_PY, CheckHulplijnenYas, QStringLiteral("Y"));

    GroupBoxLin = new QGroupBox(QStringLiteral("Lin"), controls);
    GroupBoxLin->setObjectName(QStringLiteral("GroupBoxLin"));
    {
        auto* grid = new QGridLayout(GroupBoxLin);
        LabelMode = MakeLabel(GroupBoxLin, QStringLiteral("LabelMode"), QStringLiteral("Mode"));
        PanelMode = MakePanel(GroupBoxLin, QStringLiteral("PanelMode"), false);
        LabelBron = MakeLabel(GroupBoxLin, QStringLiteral("LabelBron"), QStringLiteral("Bron"));
        PanelBron = MakePanel(GroupBoxLin, QStringLiteral("PanelBron"), false);
        PanelMode->setMinimumWidth(160);
        LabelMode->setBuddy(PanelMode);
        LabelBron->setBuddy(PanelBron);
        grid->addWidget(LabelMode, 0, 0);
        grid->addWidget(PanelMode, 0, 1);
        grid->addWidget(LabelBron, 1, 0);
        grid->addWidget(PanelBron, 1, 1);
    }
    row->addWidget(GroupBoxLin, 1);

    auto* buttons = new QVBoxLayout;
    cmdEdit_X = new QPushButton(QStringLiteral("Edit_X"), controls);
    cmdEdit_X->setObjectName(QStringLiteral("cmdEdit_X"));
    cmdEdit_Y = new QPushButton(QStringLiteral("Edit_Y"), controls);
    cmdEdit_Y->setObjectName(QStringLiteral("cmdEdit_Y"));
    buttons->addWidget(cmdEdit_X);
    buttons->addWidget(cmdEdit_Y);
    buttons->addStretch();
    row->addLayout(buttons);

    const int width = previewLeft + views::LinPreviewSize + kMargin;
    const int controlsTop = kTop + views::LinGraphHeight + kXStripHeight + 8;
    controls->setGeometry(kMargin, controlsTop, width - 2 * kMargin, 110);
    setFixedSize(width, controlsTop + 110 + kMargin);

    connect(Image1, &TPaintBox::MouseMoved, this, &TFormLinearisatie::Image1MouseMove);
    connect(Image1, &TPaintBox::Clicked, this, &TFormLinearisatie::Image1Click);
    connect(SpinEdit_GrafiekPunt, &QSpinBox::valueChanged, this, &TFormLinearisatie::SpinEdit_GrafiekPuntChange);
    connect(SpinEditDot, &QSpinBox::valueChanged, this, &TFormLinearisatie::SpinEditDotChange);
    connect(CheckHulplijnenXas, &QCheckBox::clicked, this, &TFormLinearisatie::CheckHulplijnenXasClick);
    connect(CheckHulplijnenYas, &QCheckBox::clicked, this, &TFormLinearisatie::CheckHulplijnenYasClick);
    connect(cmdEdit_X, &QPushButton::clicked, this, &TFormLinearisatie::cmdEdit_XClick);
    connect(cmdEdit_Y, &QPushButton::clicked, this, &TFormLinearisatie::cmdEdit_YClick);
}

TFormLinearisatie::~TFormLinearisatie()
{
    if (FormLinearisatie == this)
        FormLinearisatie = nullptr;
}

void TFormLinearisatie::ApplyTexts()
{
    setWindowTitle(Text("CaptionLinearisatie", "Lin Grafiek"));
    GroupBox_Xas->setTitle(Text("GroepXas", "X"));
    LabelXas->setText(Text("GroepXas", "X"));
    GroupBox_Yas->setTitle(Text("GroepYas", "Y"));
    LabelYas->setText(Text("GroepYas", "Y"));
    Label_LabelGrafiekPunt->setText(Text("CaptionGrafiekPunt", "Punt"));
    LabelPuntGrootte->setText(Text("CaptionPuntGrootte", "Grootte"));
    CheckHulplijnenXas->setText(Text("LabelHulplijnenXas", "lijnen"));
    CheckHulplijnenYas->setText(Text("LabelHulplijnenYas", "lijnen"));
    GroupBoxLin->setTitle(Text("GroepLin", "Lin"));
    cmdEdit_X->setText(Text("CaptionEditX", "X"));
    cmdEdit_Y->setText(Text("CaptionEditY", "Y"));
    for (QLabel* label : {LabelXas, LabelYas})
        label->adjustSize();
}

QString TFormLinearisatie::LaadParOpties(int Parameter) const
{
    if (!CatalogueLoaded)
        return {};
    const std::vector<std::string> options = ResolveOptionList(Parameter);
    const std::int32_t value = ParameterValues[static_cast<std::size_t>(Parameter)];
    if (value < 0 || static_cast<std::size_t>(value) >= options.size())
        return {};
    return Latin1(options[static_cast<std::size_t>(value)]);
}

void TFormLinearisatie::LoadPoints()
{
    points_ = views::LinPoints(ParameterValues);
    scale_ = views::LinScaleOf(points_);
}

int TFormLinearisatie::SelectedIndex() const
{
    return SpinEdit_GrafiekPunt->value() - 1;
}

void TFormLinearisatie::FormActivate()
{
    CheckHulplijnenXas->setChecked(ProgramSettings.Linearisatie_X_hulplijn);
    CheckHulplijnenYas->setChecked(ProgramSettings.Linearisatie_Y_hulplijn);
    {
        const QSignalBlocker block(SpinEditDot);
        SpinEditDot->setValue(ProgramSettings.PuntGrootte);
    }
    dotRadius_ = SpinEditDot->value();
    if (LanguageLoaded)
        ApplyTexts();

    Image1->Picture().fill(Qt::white);
    {
        QPainter painter(&Image1->Picture());
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, views::LinGraphWidth - 1, views::LinGraphHeight - 1);
    }
    ClearStrips();

    const std::int32_t mode = ParameterValues[views::LinModeParameter];
    Image6->Picture().fill(Qt::white);
    if (mode != 0) {
        QPainter painter(&Image6->Picture());
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, 101, 101);
        painter.drawRect(100, 0, 101, 101);
        painter.drawRect(0, 100, 101, 101);
        painter.drawRect(100, 100, 101, 101);
    }
    Image6->setVisible(mode != 0);

    if (const QString text = LaadParOpties(views::LinModeParameter); !text.isEmpty())
        PanelMode->setText(text);
    if (const QString text = LaadParOpties(views::LinSourceParameter); !text.isEmpty())
        PanelBron->setText(text);
    LabelMode->setText(Latin1(ParameterCatalogue.Name(views::LinModeParameter, LanguageIndex)));
    LabelBron->setText(Latin1(ParameterCatalogue.Name(views::LinSourceParameter, LanguageIndex)) +
                       QStringLiteral("  (") + LabelXas->text() + QLatin1Char(')'));

    LoadPoints();
    {
        const QSignalBlocker block(SpinEdit_GrafiekPunt);
        SpinEdit_GrafiekPunt->setMaximum(std::max(1, PointCount()));
        if (SpinEdit_GrafiekPunt->value() > PointCount())
            SpinEdit_GrafiekPunt->setValue(1);
    }
    const bool havePoints = PointCount() > 0;
    cmdEdit_X->setEnabled(havePoints);
    cmdEdit_Y->setEnabled(havePoints);
    Panel_PX->clear();
    Panel_PY->clear();

    Ber_en_Teken_XY();
    if (scale_.xMax != scale_.xMin) {
        SetSpinEditGrafiek();
        TekenGrafiek_sub();
        TekenGrafiek();
    }
    Image1->Present();
    Image6->Present();
}

void TFormLinearisatie::FormClose()
{
    ProgramSettings.Linearisatie_X_hulplijn = CheckHulplijnenXas->isChecked();
    ProgramSettings.Linearisatie_Y_hulplijn = CheckHulplijnenYas->isChecked();
    ProgramSettings.PuntGrootte = SpinEditDot->value();
}

void TFormLinearisatie::ClearStrips()
{
    const QColor face = palette().color(QPalette::Button);
    ImageX->Picture().fill(face);
    ImageY->Picture().fill(face);
}

void TFormLinearisatie::Ber_en_Teken_XY()
{
    LoadPoints();
    // Cleared every time: labels written over changed ones would read as garbage.
    ClearStrips();
    {
        QPainter x(&ImageX->Picture());
        x.setPen(Qt::black);
        for (int tick : {10, 350, 690})
            x.drawLine(tick, 0, tick, 10);
        x.setFont(font());
        for (const views::AxisLabel& label : views::LinXLabels(scale_, PointCount()))
            x.drawText(QPoint(label.x, label.y + x.fontMetrics().ascent()), Latin1(label.text));
    }
    {
        QPainter y(&ImageY->Picture());
        y.setPen(Qt::black);
        for (int tick : {10, 260, 510})
            y.drawLine(kStripWidth - 10, tick, kStripWidth, tick);
        y.setFont(font());
        for (const views::AxisLabel& label : views::LinYLabels(scale_, PointCount(), kStripWidth)) {
            const QString text = Latin1(label.text);
            y.drawText(QPoint(std::max(0, label.x - y.fontMetrics().horizontalAdvance(text)),
                              label.y + y.fontMetrics().ascent()),
                       text);
        }
    }
    ImageX->Present();
    ImageY->Present();
}

void TFormLinearisatie::Teken_X_Lijn()
{
    QPainter painter(&Image1->Picture());
    painter.setPen(DottedBlack());
    for (int j = 0; j <= 10; ++j)
        painter.drawLine(10 + 68 * j, 0, 10 + 68 * j, views::LinGraphHeight - 1);
}

void TFormLinearisatie::Teken_Y_Lijn()
{
    QPainter painter(&Image1->Picture());
    painter.setPen(DottedBlack());
    for (int i = 0; i <= 10; ++i)
        painter.drawLine(0, 10 + 50 * i, views::LinGraphWidth - 1, 10 + 50 * i);
}

void TFormLinearisatie::DrawPointCircle(int Index, const QColor& Fill)
{
    if (Index < 0 || Index >= static_cast<int>(pixels_.size()))
        return;
    QPainter painter(&Image1->Picture());
    painter.setPen(Qt::black);
    painter.setBrush(Fill);
    const views::PixelPoint p = pixels_[static_cast<std::size_t>(Index)];
    painter.drawEllipse(QPoint(p.x, p.y), dotRadius_, dotRadius_);
}

void TFormLinearisatie::TekenGrafiek()
{
    QImage& picture = Image1->Picture();
    {
        QPainter painter(&picture);
        painter.fillRect(1, 1, views::LinGraphWidth - 2, views::LinGraphHeight - 2, Qt::white);
    }
    if (CheckHulplijnenXas->isChecked())
        Teken_X_Lijn();
    if (CheckHulplijnenYas->isChecked())
        Teken_Y_Lijn();

    pixels_ = views::LinGraphPixels(scale_, points_);
    if (!pixels_.empty()) {
        QPainter painter(&picture);
        painter.setPen(Qt::blue);
        painter.drawLine(0, pixels_.front().y, pixels_.front().x, pixels_.front().y);
        for (std::size_t k = 1; k < pixels_.size(); ++k)
            painter.drawLine(pixels_[k - 1].x, pixels_[k - 1].y, pixels_[k].x, pixels_[k].y);
        painter.drawLine(pixels_.back().x, pixels_.back().y, views::LinGraphWidth, pixels_.back().y);
    }
    // The dots over the lines, the selected one red.
    for (int k = 0; k < static_cast<int>(pixels_.size()); ++k)
        DrawPointCircle(k, Qt::blue);
    DrawPointCircle(SelectedIndex(), Qt::red);
    Image1->Present();
}

void TFormLinearisatie::TekenGrafiek_sub()
{
    const std::int32_t mode = ParameterValues[views::LinModeParameter];
    if (mode != 1 && mode != 2)
        return;
    QPainter painter(&Image6->Picture());
    painter.fillRect(1, 1, views::LinPreviewSize - 2, views::LinPreviewSize - 2, Qt::white);
    painter.setPen(Qt::blue);
    for (const std::vector<views::PixelPoint>& curve : views::LinPreviewCurves(scale_, points_, mode))
        for (std::size_t i = 1; i < curve.size(); ++i)
            painter.drawLine(curve[i - 1].x, curve[i - 1].y, curve[i].x, curve[i].y);
    Image6->Present();
}

void TFormLinearisatie::SetSpinEditGrafiek()
{
    const int k = SelectedIndex();
    if (k < 0 || k >= PointCount())
        return;
    Panel_PX->setText(Latin1(FormatFixed(DecimalsOfPosition, points_[static_cast<std::size_t>(k)].x)));
    Panel_PY->setText(Latin1(FormatFixed(DecimalsOfLinPosition, points_[static_cast<std::size_t>(k)].y)));
    if (PointCount() > 1) {
        Ber_en_Teken_XY();
        TekenGrafiek();
    }
}

void TFormLinearisatie::Image1MouseMove(QPoint Position)
{
    lastMouse_ = Position;
}

void TFormLinearisatie::Image1Click()
{
    const int picked = views::LinPickPoint(pixels_, {lastMouse_.x(), lastMouse_.y()});
    if (picked < 0)
        return;
    if (SpinEdit_GrafiekPunt->value() == picked + 1)
        SetSpinEditGrafiek();
    else
        SpinEdit_GrafiekPunt->setValue(picked + 1);
}

void TFormLinearisatie::SpinEdit_GrafiekPuntChange()
{
    SetSpinEditGrafiek();
}

void TFormLinearisatie::SpinEditDotChange()
{
    dotRadius_ = SpinEditDot->value();
    if (PointCount() >= 2) {
        Ber_en_Teken_XY();
        TekenGrafiek_sub();
        TekenGrafiek();
    }
}

void TFormLinearisatie::CheckHulplijnenXasClick()
{
    if (PointCount() > 1)
        TekenGrafiek();
}

void TFormLinearisatie::CheckHulplijnenYasClick()
{
    if (PointCount() > 1)
        TekenGrafiek();
}

void TFormLinearisatie::EditParameter(int Parameter)
{
    if (!FormParamService || SelectedIndex() < 0 || SelectedIndex() >= PointCount())
        return;
    SelectedParameter = SelectedParameterOf(Parameter);
    FormParamService->Execute();
    Ber_en_Teken_XY();
    TekenGrafiek_sub();
    TekenGrafiek();
    SetSpinEditGrafiek();
}

void TFormLinearisatie::cmdEdit_XClick()
{
    EditParameter(views::LinXParameter(SpinEdit_GrafiekPunt->value()));
}

void TFormLinearisatie::cmdEdit_YClick()
{
    EditParameter(views::LinYParameter(SpinEdit_GrafiekPunt->value()));
}
