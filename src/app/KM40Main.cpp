// The main window: creation, closing, texts and the main menu. The connection, identification,
// error polling and terminal handlers live in src/device/.
#include "app/KM40Main.h"

#include "app/Dialogs.h"
#include "app/LineLostReport.h"
#include "app/core/InstallLayout.h"
#include "app/ValueFieldNames.h"
#include "app/Windows1252Text.h"
#include "app/core/LanguageFile.h"
#include "app/core/Settings.h"
#include "comm/PortNames.h"
#include "comm/ZBPlatform.h"
#include "device/PanelColors.h"
#include "device/core/IoFunctionTexts.h"
#include "device/core/PortSettingsBridge.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>

TFormMain* FormMain = nullptr;

namespace {

// Language and data files are Windows-1252 text.
QString tx(const std::string& text)
{
    return FromWindows1252(text);
}

std::string programDirOf(const QString& directory)
{
    QString dir = QDir::cleanPath(directory);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return QFile::encodeName(QDir::toNativeSeparators(dir)).toStdString();
}

} // namespace

TFormMain::TFormMain(const QString& programDir, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), programDirOverride_(programDir), arguments_(arguments)
{
    FormMain = this;
    setObjectName(QStringLiteral("FormMain"));
    // The port component as placed on the window: these values stand when there is no settings file.
    device::ApplyPortSettings(ZBComm1, PortSettings{});

    buildControls();
    buildMenu();
    buildStatusBar();
    bindComponents();
    applyWindowFrame();

    connect(CmdSelectUnit, &QPushButton::clicked, this, &TFormMain::CmdSelectUnitClick);
    connect(CmdResetError, &QPushButton::clicked, this, &TFormMain::CmdResetErrorClick);
    connect(CmdTerminalZenden, &QPushButton::clicked, this, &TFormMain::CmdTerminalZendenClick);
    connect(CmdCalibratie, &QPushButton::clicked, this, &TFormMain::CmdCalibratieClick);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    // UnitNo follows the field: files saved meanwhile carry the unit the user sees selected.
    connect(SpinEditUnitSelect, &QSpinBox::valueChanged, this, [](int Value) { UnitNo = Value; });
    // The terminal button is the window's default button: Enter anywhere in the window sends.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, &TFormMain::sendFromTerminalShortcut);
    }
    // Up and Down in the terminal line recall what was sent, as in a shell.
    for (const bool up : {true, false}) {
        auto* recall = new QShortcut(QKeySequence(up ? Qt::Key_Up : Qt::Key_Down), EditZenden);
        recall->setContext(Qt::WidgetShortcut);
        connect(recall, &QShortcut::activated, this, [this, up] {
            const std::string current = ToWindows1252(EditZenden->text());
            EditZenden->setText(FromWindows1252(up ? terminalHistory_.Up(current) : terminalHistory_.Down(current)));
        });
    }

    FormCreate();
    Timer1->start();
}

TFormMain::~TFormMain()
{
    Timer1->stop();
    // The widgets the port's handlers touch go away with this window: close without them.
    ZBComm1.OnActivate = nullptr;
    ZBComm1.OnDeactivate = nullptr;
    try {
        ZBComm1.Close();
    } catch (const std::exception&) {
        // Nothing left to report to.
    }
    if (FormMain == this)
        FormMain = nullptr;
}

void TFormMain::bindComponents()
{
    ZBComm1.OnActivate = [this](TObject* sender) { ZBComm1Activate(sender); };
    ZBComm1.OnDeactivate = [this](TObject* sender) { ZBComm1Deactivate(sender); };

    TKT750Protocol* all[] = {&KT750UnitSelect, &KT750TypeInfo, &KT750ReadError, &KT750ResetError,
                             &KT750Protocol1, &KT750ActPos, &KT750ActPosLin, &KT750Snelheid,
                             &KT750Spanning, &KT750Stroom, &KT750Duimwiel, &KT750_in,
                             &KT750_uit, &KT750_data_in, &KT750_data_uit};
    for (TKT750Protocol* component : all) {
        component->SetZBComm(&ZBComm1);
        component->SetProtocolFoot(TSequenceChar::scCR);
        component->SetTimeoutTime(0);
    }
    // The controller may take a while over a command typed by hand.
    KT750Protocol1.SetTimeoutTime(1500);
    // The terminal's free text may draw a reply of several lines: it always waits for the silence.
    KT750Protocol1.SetEndsBySilence(true);

    auto sharedError = [this](TObject* sender, TCommError& error, TMemoryStream& result) {
        KT750UnitSelectCommError(sender, error, result);
    };
    KT750UnitSelect.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750UnitSelectCommResult(s, r); };
    KT750UnitSelect.OnCommError = [this](TObject* s, TCommError& e, TMemoryStream& r) {
        // A select that got no answer proves no unit either.
        if (!e.IsZero() && ZBComm1.Active())
            unitNotProven();
        KT750UnitSelectCommError(s, e, r);
    };
    KT750TypeInfo.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750TypeInfoCommResult(s, r); };
    KT750TypeInfo.OnCommError = [this](TObject* s, TCommError& e, TMemoryStream& r) { KT750TypeInfoCommError(s, e, r); };
    KT750ReadError.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750ReadErrorCommResult(s, r); };
    KT750ReadError.OnCommError = sharedError;
    KT750ResetError.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750ResetErrorCommResult(s, r); };
    KT750ResetError.OnCommError = sharedError;
    KT750Protocol1.OnCommResult = [this](TObject* s, TMemoryStream& r) { KT750Protocol1CommResult(s, r); };
    KT750Protocol1.OnCommError = sharedError;
    bindLivePolls();
    // A line that is gone is said once and the port closed, whichever request found out.
    for (TKT750Protocol* component : all) {
        component->OnCommError = [this, handler = std::move(component->OnCommError)](
                                     TObject* sender, TCommError& error, TMemoryStream& result) {
            if (lineLost(error))
                return;
            if (handler)
                handler(sender, error, result);
        };
    }
}

bool TFormMain::lineLost(const TCommError& Error)
{
    return ReportLineLost(this, ZBComm1, Error, heldPanelTekst1, [this](const QString& text) { showComError(text); });
}

void TFormMain::applyWindowFrame()
{
    // Fixed border: minimise allowed, no maximise, not resizable.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    static constexpr int kClientWidth = 712;
    static constexpr int kClientHeight = 493; // below the menu bar, status bar included
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

// --- creation and closing ---------------------------------------------------------------------

void TFormMain::FormCreate()
{
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    TInstallLayout layout;
    if (programDirOverride_.isEmpty()) {
        layout = ResolveInstallLayout(CurrentInstallEnvironment(programDirOf(QCoreApplication::applicationDirPath())));
        ProgramDir = layout.DataDir;
        Global_var.SettingsDir = layout.SettingsDir;
        Global_var.SettingsWritable = layout.SettingsWritable;
        if (!layout.Warning.empty())
            AppDialogs().ShowError(this, QString::fromLocal8Bit(layout.Warning.c_str()));
    } else {
        ProgramDir = programDirOf(programDirOverride_);
    }

    PortSettings port = device::PortSettingsOf(ZBComm1);
    std::string settingsWarning;
    if (Configfile_lezen(port, &settingsWarning)) {
        device::ApplyPortSettings(ZBComm1, port);
        device::ApplyPortDevicePaths(port);
    }
    if (!settingsWarning.empty())
        AppDialogs().ShowError(this, QString::fromLocal8Bit(settingsWarning.c_str()));
    if (ProgramSettings.OpenCloseDialoogPath.empty())
        ProgramSettings.OpenCloseDialoogPath = layout.DocumentsDir;
    SpinEditUnitSelect->setValue(UnitNo);

    TekstFile_Lezen();
    ParameterDef_lezen();
    ParamNo_lezen();

    ActualPolling = false;
    IoPolling = false;
    ThumbwheelPolling = false;
    Disable_checkboxen_status_klemmen();

    LezenTeksten();

    ParameterSource = TParameterSource::None;
    SetpointSource = TSetpointSource::None;

    // Only the first argument counts, in any mix of capitals and small letters.
    CmdCalibratie->setVisible(!arguments_.isEmpty() && arguments_.first().toLower() == QLatin1String("adjustkit"));
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    event->accept();
}

void TFormMain::FormClose()
{
    Timer1->stop();
    try {
        ZBComm1.Close();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }

    ParameterCatalogue.Clear();
    CatalogueLoaded = false;
    ParameterMenuMap.Clear();
    MenuMapLoaded = false;
    LanguageFile.Clear();

    UnitNo = SpinEditUnitSelect->value();
    std::string error;
    if (!ProgrammaInstellingen_opslaan(device::PortSettingsOf(ZBComm1), error))
        AppDialogs().ShowError(this, QString::fromLocal8Bit(error.c_str()));

    emit Closed();
}

// --- texts ------------------------------------------------------------------------------------

void TFormMain::LezenTeksten()
{
    if (LanguageLoaded) {
        GroepIngangen->setTitle(tx(LanguageFile.ReadString("Main", "GroepIngangen", "Ingangen")));
        GroepUitgangen->setTitle(tx(LanguageFile.ReadString("Main", "GroepUitgangen", "Uitgangen")));
        GroepData_IO->setTitle(tx(LanguageFile.ReadString("Main", "GroepData_IO", "Data IO")));
        GroepActual->setTitle(tx(LanguageFile.ReadString("Main", "GroepActual", "Actual")));
        GroepDuimwiel->setTitle(tx(LanguageFile.ReadString("Main", "GroepDuimwiel", "DW")));
        LabelDataIn->setText(tx(LanguageFile.ReadString("Main", "LabelDataIn", "Data in:")));
        LabelDataUit->setText(tx(LanguageFile.ReadString("Main", "LabelDataUit", "Data uit:")));
        LabelActualPositie->setText(tx(LanguageFile.ReadString("Main", "LabelActualPositie", "Positie:")));
        LabelActualSnelheid->setText(tx(LanguageFile.ReadString("Main", "LabelActualSnelheid", "Snelheid:")));
        LabelActualSpanning->setText(tx(LanguageFile.ReadString("Main", "LabelActualSpanning", "Spanning:")));
        LabelActualStroom->setText(tx(LanguageFile.ReadString("Main", "LabelActualStroom", "Stroom:")));
        LabelActualLinPos->setText(tx(LanguageFile.ReadString("Main", "LabelActualLinPos", "LinPos:")));
        heldCmdIO_ON = tx(LanguageFile.ReadString("Main", "CmdIO_ON", "I/O ON"));
        heldCmdIO_OFF = tx(LanguageFile.ReadString("Main", "CmdIO_OFF", "I/O OFF"));
        heldCmdActual_ON = tx(LanguageFile.ReadString("Main", "CmdActual_ON", "Actual ON"));
        heldCmdActual_OFF = tx(LanguageFile.ReadString("Main", "CmdActual_OFF", "Actual OFF"));
        heldCmdDuimwiel_ON = tx(LanguageFile.ReadString("Main", "CmdDuimwiel_ON", "DW ON"));
        heldCmdDuimwiel_OFF = tx(LanguageFile.ReadString("Main", "CmdDuimwiel_OFF", "DW OFF"));
        heldCmdComOpen = tx(LanguageFile.ReadString("Main", "CmdComOpen", "Open"));
        heldCmdComClose = tx(LanguageFile.ReadString("Main", "CmdComClose", "Close"));
        CmdTerminalZenden->setText(tx(LanguageFile.ReadString("Main", "CmdTerminalZenden", "Zenden")));
        CmdResetError->setText(tx(LanguageFile.ReadString("Main", "CmdResetError", "Res error")));
        heldPanelTekst0 = tx(LanguageFile.ReadString("Main", "PanelTekst0", "tekst 0"));
        heldPanelTekst1 = tx(LanguageFile.ReadString("Main", "PanelTekst1", "tekst 1"));

        File1->setTitle(tx(LanguageFile.ReadString("Main", "menuBestand", "Bestand")));
        Exit1->setText(tx(LanguageFile.ReadString("Main", "subAfsluiten", "Afsluiten")));
        Edit->setTitle(tx(LanguageFile.ReadString("Main", "menuEdit", "Edit")));
        Par11->setText(tx(LanguageFile.ReadString("Main", "subParameters", "Parameters")));
        Par21->setText(tx(LanguageFile.ReadString("Main", "subSollwerten", "Sollwerten")));
        Extra->setTitle(tx(LanguageFile.ReadString("Main", "menuInstellingen", "Instellingen")));
        Serial1->setText(tx(LanguageFile.ReadString("Main", "subInitCom", "Init serieel")));
        ww1->setText(tx(LanguageFile.ReadString("Main", "subOpties", "Opties")));
        Zendenenontvangen1->setTitle(tx(LanguageFile.ReadString("Main", "menuCommunicatie", "Communicatie")));
        KM40ontvangen1->setText(
            tx(LanguageFile.ReadString("Main", "subParSoll", "Parameters + Sollwerten ontvangen")));
        Backup1->setText(tx(LanguageFile.ReadString("Main", "subBackup", "Backup")));
        Restore1->setText(tx(LanguageFile.ReadString("Main", "subRestore", "Restore")));
        KM40zoeken1->setText(tx(LanguageFile.ReadString("Main", "subZoeken", "App... zoeken")));
        Venster->setTitle(tx(LanguageFile.ReadString("Main", "menuVenster", "Venster")));
        displaynokken1->setText(tx(LanguageFile.ReadString("Main", "subNokkenInfo", "Nok info")));
        Grafiek1->setText(tx(LanguageFile.ReadString("Main", "subGrafiek", "Grafiek")));
        Grafiek2->setText(tx(LanguageFile.ReadString("Main", "subLinearisatie", "Linearisatie")));
        Info1->setTitle(tx(LanguageFile.ReadString("Main", "menuHelp", "Help")));
        FormAbout->setText(tx(LanguageFile.ReadString("Main", "subInfo", "Info")));
        Errno1->setText(tx(LanguageFile.ReadString("Main", "subErrorNummers", "Error nummers")));
    }

    InputFunctieTeksten();
    OutputFunctieTeksten();
    NameValueFields(*this);
    CmdTerminalZenden->setEnabled(false);
    CmdSelectUnit->setText(ZBComm1.Active() ? heldCmdComClose : heldCmdComOpen);
    CmdInUit->setText(IoPolling ? heldCmdIO_OFF : heldCmdIO_ON);
    CmdActual->setText(ActualPolling ? heldCmdActual_OFF : heldCmdActual_ON);
    CmdDuimwiel->setText(ThumbwheelPolling ? heldCmdDuimwiel_OFF : heldCmdDuimwiel_ON);
    setPortDependentMenuItems(false);
}

void TFormMain::InputFunctieTeksten()
{
    if (CatalogueLoaded) {
        for (int input = 1; input <= 6; ++input) {
            const int p = device::InputFunctionParameter(input);
            LabelFun_in[static_cast<std::size_t>(input - 1)]->setText(
                tx(device::FunctionOptionText(ResolveOptionList(p), ParameterValues[static_cast<std::size_t>(p)])));
        }
    }
    std::string holdReset, refFijn, ssiJustage, inactief;
    if (LanguageLoaded) {
        holdReset = LanguageFile.ReadString("Main", "K0_HoldReset", "Hold/Reset");
        refFijn = LanguageFile.ReadString("Main", "K0_RefFijn", "Ref fijn");
        ssiJustage = LanguageFile.ReadString("Main", "K0_SSIJustage", "SSI Justage");
        inactief = LanguageFile.ReadString("Main", "K0_Inactief", "Inactief");
    }
    switch (device::K0FunctionOf(ParameterValues)) {
    case device::K0Function::HoldReset: LabelFun_K0->setText(tx(holdReset)); break;
    case device::K0Function::RefFijn: LabelFun_K0->setText(tx(refFijn)); break;
    case device::K0Function::SSIJustage: LabelFun_K0->setText(tx(ssiJustage)); break;
    case device::K0Function::Inactief: LabelFun_K0->setText(tx(inactief)); break;
    }
}

void TFormMain::OutputFunctieTeksten()
{
    if (!CatalogueLoaded)
        return;
    for (int output = 1; output <= 9; ++output) {
        const int p = device::OutputFunctionParameter(output);
        LabelFun_uit[static_cast<std::size_t>(output - 1)]->setText(
            tx(device::FunctionOptionText(ResolveOptionList(p), ParameterValues[static_cast<std::size_t>(p)])));
    }
}

void TFormMain::Disable_checkboxen_status_klemmen()
{
    const QColor neutral = device::NeutralColor(this);
    device::SetBackground(TB_K0, neutral);
    for (QFrame* lamp : Tb_in)
        device::SetBackground(lamp, neutral);
    for (QFrame* lamp : TbUitgang)
        device::SetBackground(lamp, neutral);
}

// --- shared helpers ---------------------------------------------------------------------------

void TFormMain::setPortDependentMenuItems(bool enabled)
{
    KM40ontvangen1->setEnabled(enabled);
    Backup1->setEnabled(enabled);
    Restore1->setEnabled(enabled);
}

void TFormMain::setStatusPanel(int index, const QString& text)
{
    if (index >= 0 && index < static_cast<int>(StatusPanels.size()))
        StatusPanels[static_cast<std::size_t>(index)]->setText(text);
}

QString TFormMain::StatusPanelText(int index) const
{
    if (index < 0 || index >= static_cast<int>(StatusPanels.size()))
        return {};
    return StatusPanels[static_cast<std::size_t>(index)]->text();
}

bool TFormMain::isActiveWindow(const char* objectName) const
{
    // A modal window counts while it is open, whether or not it has the focus at this moment (the
    // user may be in another program while the device search drives the line), and also while a
    // window of its own is on top of it (the search's file dialog): it still holds the line.
    const QWidget* active = QApplication::activeModalWidget();
    if (!active)
        active = QApplication::activeWindow();
    for (const QWidget* window = active; window; window = window->parentWidget())
        if (window->objectName() == QLatin1String(objectName))
            return true;
    return false;
}

void TFormMain::sendFromTerminalShortcut()
{
    // A focused button takes Enter itself, as buttons do; everywhere else Enter sends.
    if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget()); button && button->window() == this) {
        if (button->isEnabled())
            button->click();
        return;
    }
    if (CmdTerminalZenden->isEnabled() && CmdTerminalZenden->isVisible())
        CmdTerminalZenden->click();
}

void TFormMain::StopLivePolls()
{
    if (IoPolling)
        InUitActief();
    if (ActualPolling)
        ActualActief();
    if (ThumbwheelPolling)
        DuimwielActief();
}

// --- main menu --------------------------------------------------------------------------------

void TFormMain::Exit1Click()
{
    close();
}

void TFormMain::Par11Click()
{
    StopLivePolls();
    if (Windows.ParameterEditor)
        Windows.ParameterEditor();
}

void TFormMain::Par21Click()
{
    StopLivePolls();
    if (Windows.SetpointEditor)
        Windows.SetpointEditor();
}

void TFormMain::Serial1Click()
{
    if (Windows.SerialSettings)
        Windows.SerialSettings();
}

void TFormMain::ww1Click()
{
    if (Windows.Options)
        Windows.Options();
}

void TFormMain::KM40ontvangen1Click()
{
    StopLivePolls();
    if (!Windows.ReadEverything)
        return;
    const std::optional<ReadEverythingResult> result = Windows.ReadEverything();
    if (!result)
        return; // cancelled or failed: the value tables stay as they were
    ParameterValues = result->parameters;
    SetpointValues = result->setpoints;
    SetpointValues[0] = 0;
    ParameterSource = TParameterSource::Device;
    SetpointSource = TSetpointSource::Device;
    InputFunctieTeksten();
    OutputFunctieTeksten();
}

void TFormMain::Backup1Click()
{
    StopLivePolls();
    if (Windows.Backup)
        Windows.Backup();
}

void TFormMain::Restore1Click()
{
    StopLivePolls();
    if (Windows.Restore)
        Windows.Restore();
}

void TFormMain::KM40zoeken1Click()
{
    if (!Windows.DeviceSearch)
        return;
    // The search drives the line itself; afterwards the port opens with what it found,
    // also when it was closed before.
    try {
        ZBComm1.Close();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
    const bool lineLostSaid = Windows.DeviceSearch();
    try {
        ZBComm1.Open();
    } catch (const std::exception& e) {
        // A line the search found lost and that is still gone has been reported once already.
        if (!lineLostSaid)
            AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
}

void TFormMain::displaynokken1Click()
{
    if (Windows.CamDisplay)
        Windows.CamDisplay();
}

void TFormMain::Grafiek1Click()
{
    if (!Windows.LiveGraph)
        return;
    // Only the error polling pauses; the live polls share the line with the graph.
    Timer1->stop();
    Windows.LiveGraph();
    Timer1->start();
}

void TFormMain::Grafiek2Click()
{
    if (Windows.Linearisation)
        Windows.Linearisation();
}

void TFormMain::FormAboutClick()
{
    if (Windows.About)
        Windows.About();
}

void TFormMain::Errno1Click()
{
    if (Windows.ErrorHelp)
        Windows.ErrorHelp();
}

void TFormMain::CmdCalibratieClick()
{
    if (Windows.Calibration)
        Windows.Calibration();
}
