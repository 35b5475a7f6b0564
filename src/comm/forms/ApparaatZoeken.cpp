#include "comm/forms/ApparaatZoeken.h"

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"
#include "device/PanelColors.h"
#include "params/FileDialogs.h"
#include "params/LijnBackup.h"
#include "params/Latin1Text.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

TFormApparaatZoeken* FormApparaatZoeken = nullptr;

namespace {

constexpr char Section[] = "AparaatZoeken";
constexpr int ColumnWidths[] = {34, 305, 66, 48, 74};

QLabel* indicator(const QString& Caption, const QString& Name, QWidget* Parent)
{
    auto* panel = new QLabel(Caption, Parent);
    panel->setObjectName(Name);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedSize(24, 22);
    return panel;
}

QLabel* valuePanel(const QString& Name, QWidget* Parent)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumHeight(24);
    return panel;
}

QPushButton* button(const QString& Caption, const QString& Name, QWidget* Parent)
{
    auto* b = new QPushButton(Caption, Parent);
    b->setObjectName(Name);
    // Return must not press a button the user did not choose.
    b->setAutoDefault(false);
    return b;
}

QString text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

} // namespace

TFormApparaatZoeken::TFormApparaatZoeken(TZBComm* Port, QWidget* Parent)
    : QDialog(Parent), port_(*Port), search_(*Port)
{
    FormApparaatZoeken = this;
    setObjectName(QStringLiteral("FormApparaatZoeken"));
    setModal(true);
    setWindowTitle(QStringLiteral("Zoeken..."));

    StringGrid1 = new QTableWidget(DesignDataRows, 5, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("tekst 0"), QStringLiteral("tekst 1"), QStringLiteral("tekst 2"),
                                            QStringLiteral("tekst 3"), QStringLiteral("tekst 4")});
    int gridWidth = 0;
    for (int column = 0; column < 5; ++column) {
        StringGrid1->setColumnWidth(column, ColumnWidths[column]);
        gridWidth += ColumnWidths[column];
    }
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setMinimumSize(gridWidth + 24, 300);

    LabelStartenMet = new QLabel(QStringLiteral("Start met:"), this);
    LabelStartenMet->setObjectName(QStringLiteral("LabelStartenMet"));
    ComboBaudRate = new QComboBox(this);
    ComboBaudRate->setObjectName(QStringLiteral("ComboBaudRate"));
    ComboBaudRate->addItems({QStringLiteral("9600 b/s"), QStringLiteral("19200 b/s"), QStringLiteral("28800 b/s"),
                             QStringLiteral("38400 b/s"), QStringLiteral("57600 b/s")});
    LabelStartenMet->setBuddy(ComboBaudRate);

    GroupBoxParity = new QGroupBox(QStringLiteral("Parity"), this);
    GroupBoxParity->setObjectName(QStringLiteral("GroupBoxParity"));
    RB_parity_com = new QRadioButton(QStringLiteral("als COM"), GroupBoxParity);
    RB_parity_com->setObjectName(QStringLiteral("RB_parity_com"));
    RB_parity_com->setChecked(true);
    RB_parity_auto = new QRadioButton(QStringLiteral("auto wisselen"), GroupBoxParity);
    RB_parity_auto->setObjectName(QStringLiteral("RB_parity_auto"));
    Panel_parity_N = indicator(QStringLiteral("N"), QStringLiteral("Panel_parity_N"), GroupBoxParity);
    Panel_parity_O = indicator(QStringLiteral("O"), QStringLiteral("Panel_parity_O"), GroupBoxParity);
    Panel_parity_E = indicator(QStringLiteral("E"), QStringLiteral("Panel_parity_E"), GroupBoxParity);
    auto* parityLayout = new QGridLayout(GroupBoxParity);
    parityLayout->addWidget(RB_parity_com, 0, 0, 1, 4);
    parityLayout->addWidget(RB_parity_auto, 1, 0, 1, 4);
    parityLayout->addWidget(Panel_parity_N, 2, 0);
    parityLayout->addWidget(Panel_parity_O, 2, 1);
    parityLayout->addWidget(Panel_parity_E, 2, 2);
    parityLayout->setColumnStretch(3, 1);

    GroupBoxStopBits = new QGroupBox(QStringLiteral("Stopbits"), this);
    GroupBoxStopBits->setObjectName(QStringLiteral("GroupBoxStopBits"));
    RB_stopbits_com = new QRadioButton(QStringLiteral("als COM"), GroupBoxStopBits);
    RB_stopbits_com->setObjectName(QStringLiteral("RB_stopbits_com"));
    RB_stopbits_com->setChecked(true);
    RB_stopbits_auto = new QRadioButton(QStringLiteral("auto wisselen"), GroupBoxStopBits);
    RB_stopbits_auto->setObjectName(QStringLiteral("RB_stopbits_auto"));
    Panel_stopbits_1 = indicator(QStringLiteral("1"), QStringLiteral("Panel_stopbits_1"), GroupBoxStopBits);
    Panel_stopbits_2 = indicator(QStringLiteral("2"), QStringLiteral("Panel_stopbits_2"), GroupBoxStopBits);
    auto* stopLayout = new QGridLayout(GroupBoxStopBits);
    stopLayout->addWidget(RB_stopbits_com, 0, 0, 1, 3);
    stopLayout->addWidget(RB_stopbits_auto, 1, 0, 1, 3);
    stopLayout->addWidget(Panel_stopbits_1, 2, 0);
    stopLayout->addWidget(Panel_stopbits_2, 2, 1);
    stopLayout->setColumnStretch(2, 1);

    PanelZoekTekst = valuePanel(QStringLiteral("PanelZoekTekst"), this);
    QFont bold = PanelZoekTekst->font();
    bold.setBold(true);
    PanelZoekTekst->setFont(bold);
    PanelZoekTekst->setMinimumWidth(200);
    PanelBaudtare = valuePanel(QStringLiteral("PanelBaudtare"), this);
    PanelBaudtare->setMinimumWidth(110);
    PanelApparaatNo = valuePanel(QStringLiteral("PanelApparaatNo"), this);
    PanelApparaatNo->setMinimumWidth(40);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(false);
    Gauge1->setRange(0, 31);
    QPalette gauge = Gauge1->palette();
    gauge.setColor(QPalette::Highlight, Qt::blue);
    Gauge1->setPalette(gauge);

    CmdStartZoeken = button(QStringLiteral("Stat"), QStringLiteral("CmdStartZoeken"), this);
    CmdStop = button(QStringLiteral("Stop"), QStringLiteral("CmdStop"), this);
    CmdVerder = button(QStringLiteral("Verder"), QStringLiteral("CmdVerder"), this);
    CmdOK = button(QStringLiteral("OK"), QStringLiteral("CmdOK"), this);
    CmdCancel = button(QStringLiteral("Cancel"), QStringLiteral("CmdCancel"), this);
    designCsvCaption_ = QStringLiteral("CSV opslaan...");
    CmdSaveCsv = button(designCsvCaption_, QStringLiteral("CmdSaveCsv"), this);
    CmdBackupAll = button(QStringLiteral("Alles backuppen..."), QStringLiteral("CmdBackupAll"), this);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {CmdStartZoeken, CmdStop, CmdVerder})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {CmdBackupAll, CmdSaveCsv, CmdOK, CmdCancel})
        buttons->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(StringGrid1, 1);
    top->addLayout(buttons);

    auto* start = new QVBoxLayout;
    start->addWidget(LabelStartenMet);
    start->addWidget(ComboBaudRate);
    start->addStretch();
    auto* options = new QHBoxLayout;
    options->addLayout(start);
    options->addWidget(GroupBoxParity);
    options->addWidget(GroupBoxStopBits);
    options->addStretch();

    auto* status = new QHBoxLayout;
    status->addWidget(PanelZoekTekst, 2);
    status->addWidget(PanelBaudtare);
    status->addWidget(PanelApparaatNo);
    status->addWidget(Gauge1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(options);
    layout->addLayout(status);

    nameValueControls();

    connect(CmdStartZoeken, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStartZoekenClick);
    connect(CmdStop, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStopClick);
    connect(CmdVerder, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdVerderClick);
    connect(CmdOK, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdCancelClick);
    connect(CmdSaveCsv, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdSaveCsvClick);
    connect(CmdBackupAll, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdBackupAllClick);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { CmdOKClick(); });

    search_.OnProbe = [this] { showProbe(); };
    search_.OnFound = [this](const TFoundDevice& device) {
        addFoundRow(device);
        PanelZoekTekst->setText(heldTexts_[3]);
        setSearchControls(true);
        // A backup now would share the port with the paused search; it waits for the search's end.
        CmdBackupAll->setEnabled(false);
        CmdOK->setEnabled(true);
        CmdVerder->setEnabled(true);
    };
    search_.OnStopped = [this] { showStoppedState(); };
    search_.OnFinished = [this] {
        PanelZoekTekst->setText(heldTexts_[2]);
        setSearchControls(true);
        CmdStop->setEnabled(false);
        CmdVerder->setEnabled(false);
    };
    search_.OnLineLost = [this](const std::string& message) {
        // One box, and a window that can start again once the line is back.
        lineLostReported_ = true;
        AppDialogs().MessageBox(this, QMessageBox::Critical, QStringLiteral("Comm Error"),
                                QString::fromLocal8Bit(message.c_str()), QMessageBox::Ok);
        setSearchControls(true);
        CmdStop->setEnabled(false);
        CmdVerder->setEnabled(false);
    };
}

TFormApparaatZoeken::~TFormApparaatZoeken()
{
    if (FormApparaatZoeken == this)
        FormApparaatZoeken = nullptr;
}

void TFormApparaatZoeken::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormApparaatZoeken::applyTexts()
{
    if (!LanguageLoaded)
        return;
    setWindowTitle(text("Caption", "Zoeken..."));
    CmdOK->setText(text("CmdOK", "OK"));
    CmdVerder->setText(text("CmdVerder", "Verder"));
    CmdStartZoeken->setText(text("CmdStart", "Start"));
    CmdStop->setText(text("CmdStop", "Stop"));
    CmdCancel->setText(text("CmdCancel", "Cancel"));
    CmdSaveCsv->setText(text("CmdSaveCsv", "CSV opslaan..."));
    CmdBackupAll->setText(text("CmdBackupAll", "Alles backuppen..."));
    LabelStartenMet->setText(text("LabelStartenMet", "Start met:"));
    QStringList headers;
    for (int column = 0; column < 5; ++column) {
        const std::string key = "KolomTekst" + std::to_string(column);
        const std::string fallback = "tekst " + std::to_string(column);
        headers << Latin1(LanguageFile.ReadString(Section, key, fallback));
    }
    StringGrid1->setHorizontalHeaderLabels(headers);
    // The design widths, unless a translated header needs more.
    for (int column = 0; column < 5; ++column)
        StringGrid1->setColumnWidth(
            column, std::max(ColumnWidths[column],
                             StringGrid1->horizontalHeader()->fontMetrics().horizontalAdvance(headers[column]) + 16));
    nameValueControls();
    GroupBoxParity->setTitle(text("GroepParity", "Parity"));
    GroupBoxStopBits->setTitle(text("GroepStopBits", "Stopbits"));
    RB_parity_com->setText(text("RadioAlsCom", "COM"));
    RB_stopbits_com->setText(text("RadioAlsCom", "COM"));
    RB_parity_auto->setText(text("RadioAutoSelect", "auto wisselen"));
    RB_stopbits_auto->setText(text("RadioAutoSelect", "auto wisselen"));
    heldTexts_ = {text("PanelTekst0", "Zoeken.."), text("PanelTekst1", "Gestopt!"),
                  text("PanelTekst2", "beeindigd!"), text("PanelTekst3", "Apparaat gevonden!")};
}

void TFormApparaatZoeken::nameValueControls()
{
    // Screen readers name the value panels by the grid column that shows the same value.
    auto header = [this](int column) { return StringGrid1->horizontalHeaderItem(column)->text(); };
    PanelZoekTekst->setAccessibleName(windowTitle());
    StringGrid1->setAccessibleName(windowTitle());
    PanelBaudtare->setAccessibleName(header(2));
    PanelApparaatNo->setAccessibleName(header(0));
    Gauge1->setAccessibleName(header(0));
}

void TFormApparaatZoeken::FormActivate()
{
    lineLostReported_ = false;
    applyTexts();
    search_.SaveSettings();
    CmdOK->setEnabled(false);
    CmdStop->setEnabled(false);
    CmdVerder->setEnabled(false);
    setSearchControls(true);
    ComboBaudRate->setCurrentIndex(0);
    ClearStringGrid();
    ClearPanels();
}

void TFormApparaatZoeken::setSearchControls(bool Idle)
{
    for (QWidget* control : std::initializer_list<QWidget*>{ComboBaudRate, RB_parity_com, RB_parity_auto,
                                                             RB_stopbits_com, RB_stopbits_auto, CmdStartZoeken})
        control->setEnabled(Idle);
    CmdSaveCsv->setEnabled(Idle && nextRow_ > 0);
    CmdBackupAll->setEnabled(Idle && nextRow_ > 0);
}

void TFormApparaatZoeken::ClearStringGrid()
{
    StringGrid1->clearContents();
    StringGrid1->setRowCount(DesignDataRows);
    nextRow_ = 0;
    CmdSaveCsv->setEnabled(false);
    CmdBackupAll->setEnabled(false);
}

void TFormApparaatZoeken::ClearPanels()
{
    PanelZoekTekst->clear();
    PanelBaudtare->clear();
    PanelApparaatNo->clear();
    Gauge1->setValue(0);
    const QColor neutral = device::NeutralColor(this);
    for (QLabel* panel : {Panel_parity_N, Panel_parity_O, Panel_parity_E, Panel_stopbits_1, Panel_stopbits_2})
        device::SetBackground(panel, neutral);
}

void TFormApparaatZoeken::CmdStartZoekenClick()
{
    lineLostReported_ = false;
    ClearStringGrid();
    TDeviceSearch::TOptions options = search_.Options();
    options.StartBaudrate = static_cast<TBaudrate>(ComboBaudRate->currentIndex() + Ordinal(TBaudrate::br9600));
    options.AutoParity = RB_parity_auto->isChecked();
    options.AutoStopbits = RB_stopbits_auto->isChecked();
    search_.SetOptions(options);
    Gauge1->setMaximum(options.HighestUnit);
    CmdStop->setEnabled(true);
    setSearchControls(false);
    try {
        search_.Start();
    } catch (const std::exception& e) {
        setSearchControls(true);
        CmdStop->setEnabled(false);
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
}

void TFormApparaatZoeken::showProbe()
{
    PanelZoekTekst->setText(heldTexts_[0]);
    setSearchControls(false);
    PanelBaudtare->setText(QString::fromStdString(BaudrateText(port_.Baudrate())) + QStringLiteral(" bit/s"));
    PanelApparaatNo->setText(QString::number(search_.Unit()));
    Gauge1->setValue(search_.Unit());
    showIndicators();
}

void TFormApparaatZoeken::showIndicators()
{
    const QColor neutral = device::NeutralColor(this);
    const TParityBit parity = port_.FrameParitybit();
    device::SetBackground(Panel_parity_N, parity == TParityBit::None ? device::PolledColor : neutral);
    device::SetBackground(Panel_parity_O, parity == TParityBit::Odd ? device::PolledColor : neutral);
    device::SetBackground(Panel_parity_E, parity == TParityBit::Even ? device::PolledColor : neutral);
    const bool two = port_.FrameStopbits() == TStopBit::sb_2;
    device::SetBackground(Panel_stopbits_1, two ? neutral : device::PolledColor);
    device::SetBackground(Panel_stopbits_2, two ? device::PolledColor : neutral);
}

void TFormApparaatZoeken::addFoundRow(const TFoundDevice& Device)
{
    // Every find is kept: past the design rows the grid grows.
    if (nextRow_ >= StringGrid1->rowCount())
        StringGrid1->setRowCount(nextRow_ + 1);
    const TFoundDeviceTexts texts = FoundDeviceTexts(Device);
    for (int column = 0; column < 5; ++column)
        StringGrid1->setItem(nextRow_, column, new QTableWidgetItem(Latin1(texts[static_cast<std::size_t>(column)])));
    StringGrid1->scrollToItem(StringGrid1->item(nextRow_, 0));
    ++nextRow_;
}

void TFormApparaatZoeken::showStoppedState()
{
    PanelZoekTekst->setText(heldTexts_[1]);
    setSearchControls(true);
    CmdVerder->setEnabled(true);
}

void TFormApparaatZoeken::CmdStopClick()
{
    search_.RequestStop();
}

void TFormApparaatZoeken::CmdVerderClick()
{
    CmdVerder->setEnabled(false);
    setSearchControls(false);
    search_.Continue();
}

std::vector<TFoundDeviceTexts> TFormApparaatZoeken::FoundRows() const
{
    std::vector<TFoundDeviceTexts> rows;
    for (int row = 0; row < nextRow_; ++row) {
        TFoundDeviceTexts texts;
        for (int column = 0; column < 5; ++column) {
            const QTableWidgetItem* item = StringGrid1->item(row, column);
            texts[static_cast<std::size_t>(column)] = item ? item->text().toLatin1().toStdString() : std::string();
        }
        rows.push_back(texts);
    }
    return rows;
}

void TFormApparaatZoeken::CmdOKClick()
{
    const int row = StringGrid1->currentRow();
    const QTableWidgetItem* identification = row >= 0 ? StringGrid1->item(row, 1) : nullptr;
    if (!identification || identification->text().isEmpty())
        return;
    try {
        port_.Close();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
    SelecteerApparaat(row);
    accept();
}

void TFormApparaatZoeken::SelecteerApparaat(int Row)
{
    auto cell = [&](int column) {
        const QTableWidgetItem* item = StringGrid1->item(Row, column);
        return item ? item->text().toLatin1().toStdString() : std::string();
    };
    if (SetUnitNumber)
        SetUnitNumber(QString::fromStdString(cell(0)).toInt());
    // A column with another text leaves that setting as it is.
    if (const auto baud = SearchBaudrateOfText(cell(2)))
        port_.SetBaudrate(*baud);
    if (const auto parity = ParityOfText(cell(3)))
        port_.SetFrameParitybit(*parity);
    if (const auto stopbits = StopbitsOfText(cell(4)))
        port_.SetFrameStopbits(*stopbits);
}

void TFormApparaatZoeken::CmdCancelClick()
{
    try {
        search_.RestoreSettings();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
    QDialog::reject();
}

void TFormApparaatZoeken::reject()
{
    CmdCancelClick();
}

void TFormApparaatZoeken::CmdSaveCsvClick()
{
    const QString path = AskSaveFileName(AppDialogs(), this, CmdSaveCsv->text().toLatin1().toStdString(),
                                         "CSV (*.csv)|*.csv", QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    std::string error;
    if (!WriteFileAtomically(LocalPath(path), FoundDevicesCsv(FoundRows()), error))
        AppDialogs().ShowError(this, QString::fromLocal8Bit(error.c_str()));
}

void TFormApparaatZoeken::CmdBackupAllClick()
{
    const QString folder = AppDialogs().GetExistingDirectory(this, CmdBackupAll->text().remove(QStringLiteral("...")),
                                                             DisplayPath(ProgramSettings.OpenCloseDialoogPath));
    if (folder.isEmpty())
        return;
    ProgramSettings.OpenCloseDialoogPath = LocalPath(folder);
    std::vector<TLineTarget> targets = LineTargetsOfFound(search_.Found(), port_.FrameDatabits());
    try {
        if (!port_.Active())
            port_.Open();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    TFormLijnBackup backup(port_, folder, std::move(targets), this);
    backup.exec();
    // A line lost during the backup is closed, as the search closes it, so that Start opens it
    // again once it is back.
    if (backup.Line().LineLost()) {
        try {
            port_.Close();
        } catch (const std::exception&) {
            // The line is gone; its handle may not close cleanly.
        }
    }
}
