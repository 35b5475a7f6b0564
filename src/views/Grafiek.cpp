#include "views/Grafiek.h"

#include "app/Dialogs.h"
#include "app/LineLostReport.h"
#include "app/core/CommaText.h"
#include "app/core/Functies.h"
#include "app/core/Global_var.h"
#include "device/core/ReplyValue.h"
#include "params/FileDialogs.h"
#include "params/Latin1Text.h"
#include "params/core/SaveFile.h"
#include "views/PaintBox.h"
#include "views/core/GraphGeometry.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

TFormGrafiek* FormGrafiek = nullptr;

namespace {

constexpr char Section[] = "Grafiek";
constexpr int kMargin = 8;
constexpr int kStripWidth = 80;
constexpr int kTimeStripHeight = 28;
constexpr int kPlotLeft = kMargin + kStripWidth;
constexpr int kPlotTop = kMargin + 6; // the value strip starts 6 pixels higher than the plot
constexpr int kValueStripHeight = views::GraphHeight + 12;
constexpr int kTimeStripWidth = views::GraphWidth + 40;
// Without a language file: position, speed, linearised position, voltage, current.
constexpr const char* kBuiltInSources[views::GraphSourceCount] = {"ActPos", "Act_V", "Act_LinPos", "Act_U", "Act_I"};

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

QPen DottedBlack()
{
    return QPen(Qt::black, 0, Qt::DotLine);
}

} // namespace

TFormGrafiek::TFormGrafiek(TZBComm* Port, QWidget* Parent) : TModalView(Parent)
{
    setObjectName(QStringLiteral("FormGrafiek"));
    setModal(true);
    setWindowTitle(QStringLiteral("Istwerten"));
    if (!FormGrafiek)
        FormGrafiek = this;

    KT750LeesLogData.SetZBComm(Port);
    KT750LeesLogData.SetProtocolFoot(TSequenceChar::scCR);
    KT750LeesLogData.SetTimeoutTime(300);
    KT750LeesLogData.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750LeesLogDataCommResult(s, r); };
    KT750LeesLogData.OnCommError = [this](TObject* s, TCommError& e, TMemoryStream& r) {
        KT750LeesLogDataCommError(s, e, r);
    };
    KT750LeesLogData.OnDeactivate = [this](TObject*) {
        if (!KT750LeesLogData.ZBComm() || !KT750LeesLogData.ZBComm()->Active())
            portClosed();
    };
    elapsed_.start();
    clock_ = [this] { return static_cast<std::uint32_t>(elapsed_.elapsed()); };

    Image1 = new TPaintBox(QStringLiteral("Image1"), {views::GraphWidth, views::GraphHeight}, this);
    Image1->move(kPlotLeft, kPlotTop);
    Image1->setAccessibleName(QStringLiteral("Grafiek"));
    ImageY = new TPaintBox(QStringLiteral("ImageY"), {kStripWidth, kValueStripHeight}, this);
    ImageY->move(kMargin, kPlotTop - 6);
    ImageX = new TPaintBox(QStringLiteral("ImageX"), {kTimeStripWidth, kTimeStripHeight}, this);
    ImageX->move(kPlotLeft - 20, kPlotTop + views::GraphHeight);
    ScrollBar2 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    ScrollBar2->setAccessibleName(QStringLiteral("Scroll"));
    ScrollBar2->setSingleStep(20);
    ScrollBar2->setPageStep(10); // the large step; the page of 22 only sizes the thumb elsewhere
    ScrollBar2->setRange(0, 0);
    ScrollBar2->setGeometry(kPlotLeft, kPlotTop + views::GraphHeight + kTimeStripHeight, views::GraphWidth, 17);

    // Right column: source, time scale, value scale.
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    LabelBron = new QLabel(QStringLiteral("Bron"), side);
    LabelBron->setObjectName(QStringLiteral("LabelBron"));
    ComboBoxBron = new QComboBox(side);
    ComboBoxBron->setObjectName(QStringLiteral("ComboBoxBron"));
    LabelBron->setBuddy(ComboBoxBron);
    column->addWidget(LabelBron);
    column->addWidget(ComboBoxBron);
    auto scaleGroup = [&](QGroupBox*& group, QListWidget*& list, QCheckBox*& check, const QString& axis) {
        group = new QGroupBox(axis + QStringLiteral("-as"), side);
        group->setObjectName(QStringLiteral("GroupBox_") + axis + QStringLiteral("as"));
        auto* box = new QVBoxLayout(group);
        list = new QListWidget(group);
        list->setObjectName(QStringLiteral("ListBox") + axis);
        list->setAccessibleName(axis + QStringLiteral("-as"));
        check = new QCheckBox(group);
        check->setObjectName(QStringLiteral("CheckHulplijnen") + axis + QStringLiteral("as"));
        check->setAccessibleName(axis + QStringLiteral(" Hulplijn"));
        box->addWidget(list);
        box->addWidget(check);
        column->addWidget(group);
    };
    scaleGroup(GroupBox_Xas, ListBoxX, CheckHulplijnenXas, QStringLiteral("X"));
    scaleGroup(GroupBox_Yas, ListBoxY, CheckHulplijnenYas, QStringLiteral("Y"));
    for (int i = 0; i < views::GraphTimeScaleCount; ++i)
        ListBoxX->addItem(Latin1(views::GraphTimeScaleText(i)));
    for (int i = 0; i < views::GraphValueScaleCount; ++i)
        ListBoxY->addItem(QString::number(views::GraphValueScale(i)));
    ListBoxX->setFixedHeight(ListBoxX->sizeHintForRow(0) * views::GraphTimeScaleCount + 2 * ListBoxX->frameWidth());
    ListBoxY->setFixedHeight(ListBoxY->sizeHintForRow(0) * 8 + 2 * ListBoxY->frameWidth());
    column->addStretch();
    const int sideLeft = kPlotLeft + views::GraphWidth + 50;
    side->setGeometry(sideLeft, kMargin, 170, kValueStripHeight + kTimeStripHeight);

    // Bottom row: start/stop, autoscroll, pause, buffer, status, exports.
    auto* bottom = new QWidget(this);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [&](QPushButton*& b, const QString& name, const QString& text) {
        b = new QPushButton(text, bottom);
        b->setObjectName(name);
        row->addWidget(b);
    };
    button(CmdStartLog, QStringLiteral("CmdStartLog"), QStringLiteral("Start Log"));
    button(CmdStopLog, QStringLiteral("CmdStopLog"), QStringLiteral("Stop Log"));
    CheckBoxAutoScroll = new QCheckBox(bottom);
    CheckBoxAutoScroll->setObjectName(QStringLiteral("CheckBoxAutoScroll"));
    CheckBoxAutoScroll->setAccessibleName(QStringLiteral("Autoscroll"));
    row->addWidget(CheckBoxAutoScroll);
    CheckPauze = new QCheckBox(QStringLiteral("Pauze"), bottom);
    CheckPauze->setObjectName(QStringLiteral("CheckPauze"));
    row->addWidget(CheckPauze);
    LabelBuffer = new QLabel(QStringLiteral("Buffer:"), bottom);
    LabelBuffer->setObjectName(QStringLiteral("LabelBuffer"));
    Gauge1 = new QProgressBar(bottom);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(false);
    Gauge1->setRange(0, views::GraphLastIndex);
    Gauge1->setFixedWidth(120);
    QPalette blue = Gauge1->palette();
    blue.setColor(QPalette::Highlight, Qt::blue);
    Gauge1->setPalette(blue);
    LabelBuffer->setBuddy(Gauge1);
    LabelBufferCount = new QLabel(QStringLiteral("0,0 sec"), bottom);
    LabelBufferCount->setObjectName(QStringLiteral("LabelBufferCount"));
    LabelBufferCount->setMinimumWidth(70);
    LabelBufferCount->setAccessibleName(QStringLiteral("Tijd"));
    row->addWidget(LabelBuffer);
    row->addWidget(Gauge1);
    row->addWidget(LabelBufferCount);
    PanelCommError = new QLabel(bottom);
    PanelCommError->setObjectName(QStringLiteral("PanelCommError"));
    PanelCommError->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelCommError->setAccessibleName(QStringLiteral("Status"));
    QFont bold = PanelCommError->font();
    bold.setBold(true);
    PanelCommError->setFont(bold);
    row->addWidget(PanelCommError, 1);
    button(CmdExportCsv, QStringLiteral("CmdExportCsv"), QStringLiteral("CSV..."));
    button(CmdExportPng, QStringLiteral("CmdExportPng"), QStringLiteral("PNG..."));
    const int bottomTop = kPlotTop + views::GraphHeight + kTimeStripHeight + 17 + 10;
    const int width = sideLeft + 170 + kMargin;
    bottom->setGeometry(kMargin, bottomTop, width - 2 * kMargin, 30);
    setFixedSize(width, bottomTop + 30 + kMargin);

    connect(CmdStartLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStartLogClick);
    connect(CmdStopLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStopLogClick);
    connect(ScrollBar2, &QScrollBar::valueChanged, this, &TFormGrafiek::ScrollBar2Change);
    connect(ListBoxX, &QListWidget::currentRowChanged, this, &TFormGrafiek::ListBoxXClick);
    connect(ListBoxY, &QListWidget::currentRowChanged, this, &TFormGrafiek::ListBoxYClick);
    connect(ComboBoxBron, &QComboBox::currentIndexChanged, this, &TFormGrafiek::ComboBoxBronChange);
    connect(CheckHulplijnenXas, &QCheckBox::clicked, this, &TFormGrafiek::CheckHulplijnenXasClick);
    connect(CheckHulplijnenYas, &QCheckBox::clicked, this, &TFormGrafiek::CheckHulplijnenYasClick);
    connect(CheckBoxAutoScroll, &QCheckBox::clicked, this, &TFormGrafiek::TekenGrafiek);
    connect(CheckPauze, &QCheckBox::clicked, this, &TFormGrafiek::TekenGrafiek);
    connect(CmdExportCsv, &QPushButton::clicked, this, &TFormGrafiek::CmdExportCsvClick);
    connect(CmdExportPng, &QPushButton::clicked, this, &TFormGrafiek::CmdExportPngClick);

    ApplyTexts();
}

TFormGrafiek::~TFormGrafiek()
{
    if (FormGrafiek == this)
        FormGrafiek = nullptr;
}

void TFormGrafiek::ApplyTexts()
{
    const QSignalBlocker block(ComboBoxBron);
    const int source = ComboBoxBron->currentIndex();
    std::vector<std::string> items;
    if (LanguageLoaded) {
        setWindowTitle(Text("CaptionGrafiek", "Istwerten"));
        LabelBuffer->setText(Text("LabelBuffer", "Buffer"));
        CheckBoxAutoScroll->setText(Text("LabelAutoscroll", "Autoscroll"));
        CheckHulplijnenXas->setText(Text("LabelHulplijnenXas", "Hulplijn"));
        CheckHulplijnenYas->setText(Text("LabelHulplijnenYas", "Hulplijn"));
        CmdStartLog->setText(Text("CmdStartLog", "Start"));
        CmdStopLog->setText(Text("CmdStopLog", "Stop"));
        GroupBox_Xas->setTitle(Text("GroepXas", "X"));
        GroupBox_Yas->setTitle(Text("GroepYas", "Y"));
        LabelBron->setText(Text("LabelBron", "Bron"));
        CheckPauze->setText(Text("CheckPauze", "Pauze"));
        CmdExportCsv->setText(Text("CmdExportCsv", "CSV..."));
        CmdExportPng->setText(Text("CmdExportPng", "PNG..."));
        items = SplitCommaText(LanguageFile.ReadString(Section, "optiesBron", ""));
        for (int i = 0; i < 5; ++i)
            statusTexts_[static_cast<std::size_t>(i)] =
                Latin1(LanguageFile.ReadString(Section, "PanelTekst" + std::to_string(i), "tekst " + std::to_string(i)));
    }
    // Every source stays selectable: missing items of a short list keep their built-in names.
    ComboBoxBron->clear();
    for (int i = 0; i < views::GraphSourceCount; ++i)
        ComboBoxBron->addItem(static_cast<std::size_t>(i) < items.size() ? Latin1(items[static_cast<std::size_t>(i)])
                                                                       : QString::fromLatin1(kBuiltInSources[i]));
    ComboBoxBron->setCurrentIndex(std::max(0, source));
}

int TFormGrafiek::Source() const
{
    return std::clamp(ComboBoxBron->currentIndex(), 0, views::GraphSourceCount - 1);
}

std::int32_t TFormGrafiek::TimeScale() const
{
    return views::GraphTimeScale(ListBoxX->currentRow());
}

std::int32_t TFormGrafiek::ValueScale() const
{
    return views::GraphValueScale(ListBoxY->currentRow());
}

void TFormGrafiek::ShowStatus(const QString& Text, const QColor& Color)
{
    QPalette palette = PanelCommError->palette();
    palette.setColor(QPalette::WindowText, Color);
    PanelCommError->setPalette(palette);
    PanelCommError->setText(Text);
}

void TFormGrafiek::FormActivate()
{
    ApplyTexts();
    CmdStartLog->setEnabled(KT750LeesLogData.ZBComm() && KT750LeesLogData.ZBComm()->Active());
    CmdStopLog->setEnabled(false);
    ComboBoxBron->setEnabled(true);
    logging_ = false;

    {
        const QSignalBlocker blockX(ListBoxX);
        const QSignalBlocker blockY(ListBoxY);
        const QSignalBlocker blockSource(ComboBoxBron);
        ListBoxX->setCurrentRow(std::clamp(ProgramSettings.X_Div, 0, views::GraphTimeScaleCount - 1));
        ListBoxY->setCurrentRow(std::clamp(ProgramSettings.Y_Div, 0, views::GraphValueScaleCount - 1));
        ComboBoxBron->setCurrentIndex(std::clamp(ProgramSettings.BronItem, 0, views::GraphSourceCount - 1));
    }
    ComboBoxBronChange();
    CheckHulplijnenXas->setChecked(ProgramSettings.Grafiek_X_hulplijn);
    CheckHulplijnenYas->setChecked(ProgramSettings.Grafiek_Y_hulplijn);
    Gauge1->setValue(0);

    QImage& plot = Image1->Picture();
    plot.fill(Qt::white);
    {
        QPainter painter(&plot);
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, views::GraphWidth - 1, views::GraphHeight - 1);
    }
    DrawTimeAxis(0);
    TekenYasVerdeling();
    TekenMiddenlijn();
    YasHulpLijnen();
    Image1->Present();
}

void TFormGrafiek::FormClose()
{
    ProgramSettings.X_Div = ListBoxX->currentRow();
    ProgramSettings.Y_Div = ListBoxY->currentRow();
    ProgramSettings.BronItem = Source();
    ProgramSettings.Grafiek_X_hulplijn = CheckHulplijnenXas->isChecked();
    ProgramSettings.Grafiek_Y_hulplijn = CheckHulplijnenYas->isChecked();
    // A log never runs while the window is hidden.
    KT750LeesLogData.SetActive(false);
    KT750LeesLogData.CancelRequest();
    logging_ = false;
}

void TFormGrafiek::CmdStartLogClick()
{
    // The exchange of a log just stopped may still be under way: its reply must not become this
    // log's first sample, and its repetition must not circulate beside this log's request.
    KT750LeesLogData.SetActive(false);
    KT750LeesLogData.CancelRequest();
    log_.Start(Source());
    TekenYasVerdeling(); // the axis now describes this log's source
    Gauge1->setValue(0);
    KT750LeesLogData.SetASCIIProtocol(views::GraphSourceOf(Source()).command);
    CmdStartLog->setEnabled(false);
    ComboBoxBron->setEnabled(false);
    CmdStopLog->setEnabled(true);
    logging_ = true;
    KT750LeesLogData.SetActive(true);
    ShowStatus(statusTexts_[2], Qt::black);
}

void TFormGrafiek::EndLog()
{
    // An ended log leaves nothing queued, and a request still under way answers nobody.
    KT750LeesLogData.SetActive(false);
    KT750LeesLogData.CancelRequest();
    logging_ = false;
    CmdStartLog->setEnabled(true);
    ComboBoxBron->setEnabled(true);
    ListBoxY->setEnabled(true);
    CmdStopLog->setEnabled(false);
}

void TFormGrafiek::portClosed()
{
    if (logging_) {
        logging_ = false; // before EndLog, whose switching off comes back here
        EndLog();
        ShowStatus(statusTexts_[1], Qt::red);
    }
    CmdStartLog->setEnabled(false);
}

void TFormGrafiek::CmdStopLogClick()
{
    EndLog();
    ShowStatus(statusTexts_[3], Qt::black);
}

void TFormGrafiek::KT750LeesLogDataCommResult(TObject*, TMemoryStream& Result)
{
    if (!logging_)
        return; // a reply that was under way when the log ended
    const std::optional<std::int32_t> value = views::GraphReplyValue(KT750LeesLogData.ASCIIProtocol(), Result.Bytes());
    if (!value) {
        // A reply of another command (a late reply to another request) is a failed request, and
        // so is a garbled value: a sample that kept an old value would be drawn and exported as
        // if it had been measured.
        ShowStatus(statusTexts_[1], Qt::red);
        EndLog();
        return;
    }
    const bool full = log_.Add(clock_(), value);
    Gauge1->setValue(log_.Last());
    if (full) {
        EndLog();
        ShowStatus(statusTexts_[4], Qt::black);
    }
    if (!CheckPauze->isChecked())
        TekenGrafiek();
    LabelBufferCount->setText(Latin1(views::GraphElapsedText(log_.Time(log_.Last()))));
}

void TFormGrafiek::KT750LeesLogDataCommError(TObject*, TCommError& CommError, TMemoryStream&)
{
    if (!logging_ || CommError.IsZero())
        return;
    // A pulled line ends the log with one message naming it, not one per request; the port closes
    // (portClosed ends the log if another window's request found out first).
    if (KT750LeesLogData.ZBComm() &&
        ReportLineLost(this, *KT750LeesLogData.ZBComm(), CommError, statusTexts_[1],
                       [this](const QString& Text) { ShowStatus(Text, Qt::red); })) {
        portClosed();
        return;
    }
    if (CommError.Code == ecTimeout)
        ShowStatus(statusTexts_[0], Qt::red);
    else if (CommError.SystemError != 0 || CommError.CommErrors != 0)
        ShowStatus(statusTexts_[1], Qt::red);
    EndLog();
}

void TFormGrafiek::ComboBoxBronChange()
{
    const views::GraphSource& source = views::GraphSourceOf(Source());
    if (source.forcedValueScale >= 0) {
        const QSignalBlocker block(ListBoxY);
        ListBoxY->setCurrentRow(source.forcedValueScale);
        ListBoxY->setEnabled(false);
    } else {
        ListBoxY->setEnabled(true);
    }
    TekenYasVerdeling();
}

void TFormGrafiek::ScrollBar2Change()
{
    TekenGrafiek();
}

void TFormGrafiek::ListBoxXClick()
{
    TekenGrafiek();
}

void TFormGrafiek::ListBoxYClick()
{
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::CheckHulplijnenXasClick()
{
    TekenGrafiek();
}

void TFormGrafiek::CheckHulplijnenYasClick()
{
    TekenGrafiek();
}

void TFormGrafiek::TekenMiddenlijn()
{
    QPainter painter(&Image1->Picture());
    painter.setPen(Qt::black);
    painter.drawLine(0, views::GraphCentreY, views::GraphWidth, views::GraphCentreY);
}

void TFormGrafiek::YasHulpLijnen()
{
    if (!CheckHulplijnenYas->isChecked())
        return;
    QPainter painter(&Image1->Picture());
    painter.setPen(DottedBlack());
    for (int k = 1; views::GraphCentreY - views::GraphValueDivPixels * k > 0; ++k)
        for (int y : {views::GraphCentreY + views::GraphValueDivPixels * k, views::GraphCentreY - views::GraphValueDivPixels * k})
            if (y > 0 && y < views::GraphHeight - 1)
                painter.drawLine(1, y, views::GraphWidth - 2, y);
}

void TFormGrafiek::DrawTimeAxis(std::int32_t T0)
{
    ImageX->Picture().fill(palette().color(QPalette::Button));
    QPainter strip(&ImageX->Picture());
    strip.setPen(Qt::black);
    strip.setFont(font());
    QPainter plot(&Image1->Picture());
    plot.setPen(DottedBlack());
    const int ascent = strip.fontMetrics().ascent();
    for (const views::TimeTick& tick : views::GraphTimeTicks(T0, TimeScale())) {
        strip.drawLine(tick.x + 20, 0, tick.x + 20, 10);
        strip.drawText(QPoint(tick.x + 10, 10 + ascent - 2), Latin1(tick.label));
        if (tick.gridLine && CheckHulplijnenXas->isChecked())
            plot.drawLine(tick.x, 1, tick.x, views::GraphHeight - 2);
    }
    ImageX->Present();
}

void TFormGrafiek::TekenGrafiek()
{
    const int last = log_.Last();
    {
        const QSignalBlocker block(ScrollBar2);
        ScrollBar2->setRange(0, std::max(0, last));
    }
    QImage& picture = Image1->Picture();
    {
        QPainter painter(&picture);
        painter.fillRect(1, 1, views::GraphWidth - 2, views::GraphHeight - 2, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, views::GraphWidth - 1, views::GraphHeight - 1);
    }
    TekenMiddenlijn();
    YasHulpLijnen();

    const bool autoscroll = CheckBoxAutoScroll->isChecked() && !CmdStartLog->isEnabled();
    const int first = views::GraphFirstShownSample(last, TimeScale(), autoscroll, ScrollBar2->value());
    DrawTimeAxis(last >= 0 ? log_.Time(first) : 0);

    const std::vector<views::PixelPoint> curve = views::GraphCurve(log_, first, TimeScale(), ValueScale());
    if (curve.size() >= 2) {
        std::vector<QPoint> points;
        points.reserve(curve.size());
        for (const views::PixelPoint& p : curve)
            points.emplace_back(p.x, p.y);
        QPainter painter(&picture);
        painter.setPen(Qt::blue);
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    Image1->Present();
}

void TFormGrafiek::TekenYasVerdeling()
{
    QImage& strip = ImageY->Picture();
    strip.fill(palette().color(QPalette::Button));
    QPainter painter(&strip);
    painter.setPen(Qt::black);
    painter.setFont(font());
    const int ascent = painter.fontMetrics().ascent();
    // The axis describes the samples drawn: the logged source's, once there are any.
    const int described = log_.Last() >= 0 ? log_.Source() : Source();
    for (const views::ValueTick& tick : views::GraphValueTicks(ValueScale(), described)) {
        painter.drawLine(kStripWidth - 10, tick.row + 10, kStripWidth, tick.row + 10);
        const QString text = Latin1(tick.label);
        const int x = std::max(0, kStripWidth - painter.fontMetrics().horizontalAdvance(text) - 12);
        painter.drawText(QPoint(x, tick.row + 4 + ascent - 2), text);
    }
    painter.drawText(QPoint(10, kValueStripHeight / 2 - 5 + ascent - 2), QString::fromLatin1(views::GraphSourceOf(described).unitText));
    ImageY->Present();
}

QImage TFormGrafiek::PlotWithAxes() const
{
    const QImage& plot = Image1->Picture();
    QImage image(kStripWidth + views::GraphWidth + 20, 6 + views::GraphHeight + kTimeStripHeight, QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Button));
    QPainter painter(&image);
    painter.drawImage(0, 0, ImageY->Picture());
    painter.drawImage(kStripWidth, 6, plot);
    painter.drawImage(kStripWidth - 20, 6 + views::GraphHeight, ImageX->Picture());
    return image;
}

bool TFormGrafiek::SaveCsv(const QString& Path, QString& Error) const
{
    // The samples are the logged source's, whatever the list shows now.
    const views::GraphSource& source = views::GraphSourceOf(log_.Source());
    std::string unit = source.unitText;
    unit = unit.substr(1, unit.size() - 2); // without the parentheses
    const std::string csv = views::GraphCsv(log_, unit, source.decimals);
    const TFileResult result = SaveFileReplacing(QFile::encodeName(Path).toStdString(), csv);
    if (!result.Ok()) {
        Error = QString::fromLocal8Bit(result.Detail.c_str());
        return false;
    }
    return true;
}

bool TFormGrafiek::SavePng(const QString& Path, QString& Error) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!PlotWithAxes().save(&buffer, "PNG")) {
        Error = QStringLiteral("PNG");
        return false;
    }
    const TFileResult result = SaveFileReplacing(QFile::encodeName(Path).toStdString(),
                                                 std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!result.Ok()) {
        Error = QString::fromLocal8Bit(result.Detail.c_str());
        return false;
    }
    return true;
}

void TFormGrafiek::CmdExportCsvClick()
{
    ExportTo(CmdExportCsv->text(), QStringLiteral("CSV (*.csv)"), &TFormGrafiek::SaveCsv);
}

void TFormGrafiek::CmdExportPngClick()
{
    ExportTo(CmdExportPng->text(), QStringLiteral("PNG (*.png)"), &TFormGrafiek::SavePng);
}

void TFormGrafiek::ExportTo(const QString& Caption, const QString& Filter,
                            bool (TFormGrafiek::*Save)(const QString&, QString&) const)
{
    const QString path =
        AppDialogs().GetSaveFileName(this, Caption, DisplayPath(ProgramSettings.OpenCloseDialoogPath), Filter);
    QString error;
    if (!path.isEmpty() && !(this->*Save)(path, error))
        AppDialogs().ShowError(this, path + QStringLiteral(": ") + error);
}
