// The main window's controls, menu and status bar with their design texts. The language file
// replaces most texts later (LezenTeksten); what is set here is what shows without one.
#include "app/KM40Main.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kLampSize = 14;
constexpr int kValuePanelHeight = 21;
constexpr int kUnitNoMax = 31;

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A lamp: a small coloured field without text.
QFrame* makeLamp(QWidget* parent, const QString& name)
{
    auto* lamp = named(new QFrame(parent), name);
    lamp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lamp->setLineWidth(1);
    lamp->setFixedSize(kLampSize, kLampSize);
    lamp->setAutoFillBackground(true);
    return lamp;
}

// A value panel: sunken, bold, right-aligned.
QLabel* makeValuePanel(QWidget* parent, const QString& name, const QString& designText = {})
{
    auto* panel = named(new QLabel(designText, parent), name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setAutoFillBackground(true);
    panel->setMargin(2);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    panel->setFixedHeight(std::max(kValuePanelHeight, QFontMetrics(font).height() + 8));
    return panel;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& designText)
{
    auto* button = named(new QPushButton(designText, parent), name);
    button->setAutoDefault(false);
    return button;
}

// One row of the input or output groups: lamp, number, function label.
void addLampRow(QGridLayout* grid, int row, QFrame* lamp, const QString& number, QLabel* function)
{
    auto* numberLabel = new QLabel(number, lamp->parentWidget());
    numberLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(lamp, row, 0, Qt::AlignVCenter);
    grid->addWidget(numberLabel, row, 1);
    grid->addWidget(function, row, 2);
}

} // namespace

void TFormMain::buildControls()
{
    auto* central = named(new QWidget(this), QStringLiteral("ClientArea"));
    setCentralWidget(central);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(8, 6, 8, 4);
    root->setSpacing(6);

    // Port and unit, communication error, device error.
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    CmdSelectUnit = makeButton(central, QStringLiteral("CmdSelectUnit"), QStringLiteral("Open"));
    CmdSelectUnit->setMinimumWidth(88);
    SpinEditUnitSelect = named(new QSpinBox(central), QStringLiteral("SpinEditUnitSelect"));
    SpinEditUnitSelect->setRange(0, kUnitNoMax);
    SpinEditUnitSelect->setToolTip(QStringLiteral("KM4x no:"));
    SpinEditUnitSelect->setMinimumWidth(56);
    PanelComInfo = named(new QLabel(central), QStringLiteral("PanelComInfo"));
    PanelComInfo->setFrameStyle(QFrame::NoFrame);
    PanelComInfo->setMinimumWidth(120);
    // Borderless like PanelComInfo: plain text beside the reset button, not a value field.
    PanelErrorNo = named(new QLabel(central), QStringLiteral("PanelErrorNo"));
    PanelErrorNo->setFrameStyle(QFrame::NoFrame);
    PanelErrorNo->setMinimumHeight(kValuePanelHeight);
    PanelErrorNo->setFixedWidth(190);
    PanelErrorNo->setMargin(2);
    {
        QFont font = PanelErrorNo->font();
        font.setBold(true);
        PanelErrorNo->setFont(font);
    }
    CmdResetError = makeButton(central, QStringLiteral("CmdResetError"), QStringLiteral("RST SSI Err"));
    CmdCalibratie = makeButton(central, QStringLiteral("CmdCalibratie"), QStringLiteral("Calibratie"));
    CmdCalibratie->setVisible(false);
    top->addWidget(CmdSelectUnit);
    top->addWidget(SpinEditUnitSelect);
    top->addWidget(PanelComInfo, 1);
    top->addWidget(CmdCalibratie);
    top->addWidget(PanelErrorNo);
    top->addWidget(CmdResetError);
    root->addLayout(top);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(8);

    // Inputs: K0 and 1..6.
    GroepIngangen = named(new QGroupBox(QStringLiteral("Ingangen"), central), QStringLiteral("GroepIngangen"));
    {
        auto* grid = new QGridLayout(GroepIngangen);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        grid->setColumnStretch(2, 1);
        TB_K0 = makeLamp(GroepIngangen, QStringLiteral("TB_K0"));
        LabelFun_K0 = named(new QLabel(QStringLiteral("Inactief"), GroepIngangen), QStringLiteral("LabelFun_K0"));
        addLampRow(grid, 0, TB_K0, QStringLiteral("K0"), LabelFun_K0);
        for (int i = 0; i < 6; ++i) {
            const QString n = QString::number(i + 1);
            // The sixth lamp is spelled with capitals, as it always was.
            Tb_in[i] = makeLamp(GroepIngangen, (i == 5 ? QStringLiteral("TB_in") : QStringLiteral("Tb_in")) + n);
            LabelFun_in[i] = named(new QLabel(QStringLiteral("Ingang ") + n, GroepIngangen),
                                   QStringLiteral("LabelFun_in") + n);
            addLampRow(grid, i + 1, Tb_in[i], n, LabelFun_in[i]);
        }
        grid->setRowStretch(7, 1);
    }

    // Outputs 1..9.
    GroepUitgangen = named(new QGroupBox(QStringLiteral("Uitgangen"), central), QStringLiteral("GroepUitgangen"));
    {
        auto* grid = new QGridLayout(GroepUitgangen);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        grid->setColumnStretch(2, 1);
        for (int i = 0; i < 9; ++i) {
            const QString n = QString::number(i + 1);
            TbUitgang[i] = makeLamp(GroepUitgangen, QStringLiteral("TbUitgang") + n);
            LabelFun_uit[i] = named(new QLabel(QStringLiteral("Uitgang ") + n, GroepUitgangen),
                                    QStringLiteral("LabelFun_uit") + n);
            addLampRow(grid, i, TbUitgang[i], n, LabelFun_uit[i]);
        }
        grid->setRowStretch(9, 1);
    }

    // Data words of the data interface, with the I/O poll button (it polls these too).
    GroepData_IO = named(new QGroupBox(QStringLiteral("Data IO"), central), QStringLiteral("GroepData_IO"));
    {
        auto* grid = new QGridLayout(GroepData_IO);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        LabelDataIn = named(new QLabel(QStringLiteral("Data in:"), GroepData_IO), QStringLiteral("LabelDataIn"));
        LabelDataUit = named(new QLabel(QStringLiteral("Data uit:"), GroepData_IO), QStringLiteral("LabelDataUit"));
        PanelData_IO_in = makeValuePanel(GroepData_IO, QStringLiteral("PanelData_IO_in"), QStringLiteral("0"));
        PanelData_IO_uit = makeValuePanel(GroepData_IO, QStringLiteral("PanelData_IO_uit"), QStringLiteral("0"));
        CmdInUit = makeButton(GroepData_IO, QStringLiteral("CmdInUit"), QStringLiteral("I/O  ON"));
        grid->addWidget(LabelDataIn, 0, 0);
        grid->addWidget(PanelData_IO_in, 0, 1);
        grid->addWidget(LabelDataUit, 1, 0);
        grid->addWidget(PanelData_IO_uit, 1, 1);
        grid->addWidget(CmdInUit, 2, 0, 1, 2, Qt::AlignRight);
        grid->setColumnStretch(1, 1);
    }

    // Actual values, with their poll button.
    GroepActual = named(new QGroupBox(QStringLiteral("Actual"), central), QStringLiteral("GroepActual"));
    {
        auto* grid = new QGridLayout(GroepActual);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        struct Row {
            QLabel** label;
            const char* labelName;
            const char* labelText;
            QLabel** panel;
            const char* panelName;
        };
        const Row rows[] = {
            {&LabelActualPositie, "LabelActualPositie", "Positie:", &PanelActPos, "PanelActPos"},
            {&LabelActualSnelheid, "LabelActualSnelheid", "Snelheid:", &PanelSnelheid, "PanelSnelheid"},
            {&LabelActualSpanning, "LabelActualSpanning", "Spanning:", &PanelSpanning, "PanelSpanning"},
            {&LabelActualStroom, "LabelActualStroom", "Stroom:", &PanelStroom, "PanelStroom"},
            {&LabelActualLinPos, "LabelActualLinPos", "LinPos:", &PanelActPosLin, "PanelActPosLin"},
        };
        int r = 0;
        for (const Row& row : rows) {
            *row.label = named(new QLabel(QString::fromLatin1(row.labelText), GroepActual),
                               QString::fromLatin1(row.labelName));
            *row.panel = makeValuePanel(GroepActual, QString::fromLatin1(row.panelName));
            grid->addWidget(*row.label, r, 0);
            grid->addWidget(*row.panel, r, 1);
            ++r;
        }
        CmdActual = makeButton(GroepActual, QStringLiteral("CmdActual"), QStringLiteral("Actual - ON"));
        grid->addWidget(CmdActual, r, 0, 1, 2, Qt::AlignRight);
        grid->setColumnStretch(1, 1);
    }

    // Thumbwheel values, with their poll button.
    GroepDuimwiel = named(new QGroupBox(QStringLiteral("Duimwiel"), central), QStringLiteral("GroepDuimwiel"));
    {
        auto* grid = new QGridLayout(GroepDuimwiel);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        for (int i = 0; i < 4; ++i) {
            const QString n = QString::number(i + 1);
            auto* number = new QLabel(n, GroepDuimwiel);
            number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Panel_DW[i] = makeValuePanel(GroepDuimwiel, QStringLiteral("Panel_DW") + n);
            grid->addWidget(number, i, 0);
            grid->addWidget(Panel_DW[i], i, 1);
        }
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(4, 1);
        CmdDuimwiel = makeButton(GroepDuimwiel, QStringLiteral("CmdDuimwiel"), QStringLiteral("Duimwiel - ON"));
        grid->addWidget(CmdDuimwiel, 5, 0, 1, 2, Qt::AlignRight);
    }

    auto* inputColumn = new QVBoxLayout;
    inputColumn->addWidget(GroepIngangen, 1);
    inputColumn->addWidget(GroepData_IO);
    auto* valueColumn = new QVBoxLayout;
    valueColumn->addWidget(GroepActual);
    valueColumn->addWidget(GroepDuimwiel, 1);
    columns->addLayout(inputColumn, 10);
    columns->addWidget(GroepUitgangen, 10);
    columns->addLayout(valueColumn, 13);
    root->addLayout(columns, 1);

    // Terminal: free command text, send button (Enter sends), raw reply.
    GroepTerminal = named(new QGroupBox(QStringLiteral("Terminal"), central), QStringLiteral("GroepTerminal"));
    {
        auto* row = new QHBoxLayout(GroepTerminal);
        row->setSpacing(6);
        EditZenden = named(new QLineEdit(GroepTerminal), QStringLiteral("EditZenden"));
        CmdTerminalZenden = makeButton(GroepTerminal, QStringLiteral("CmdTerminalZenden"), QStringLiteral("Transmit"));
        CmdTerminalZenden->setDefault(true);
        MemoReceive = named(new QPlainTextEdit(GroepTerminal), QStringLiteral("MemoReceive"));
        MemoReceive->setReadOnly(true);
        MemoReceive->setFocusPolicy(Qt::NoFocus);
        MemoReceive->setLineWrapMode(QPlainTextEdit::NoWrap);
        MemoReceive->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        MemoReceive->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        MemoReceive->setTabChangesFocus(true);
        QFont bold = MemoReceive->font();
        bold.setBold(true);
        MemoReceive->setFont(bold);
        // One line high: the first line of the reply shows.
        MemoReceive->setFixedHeight(EditZenden->sizeHint().height());
        MemoReceive->document()->setDocumentMargin(2);
        row->addWidget(EditZenden, 5);
        row->addWidget(CmdTerminalZenden);
        row->addWidget(MemoReceive, 6);
    }
    root->addWidget(GroepTerminal);

    // Everything that sends waits for the port.
    for (QPushButton* button : {CmdActual, CmdInUit, CmdDuimwiel, CmdResetError, CmdTerminalZenden})
        button->setEnabled(false);

    Timer1 = named(new QTimer(this), QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
}

void TFormMain::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    auto addMenu = [&](QMenu*& menu, const char* name, const QString& text) {
        menu = named(bar->addMenu(text), QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
    };
    auto addItem = [&](QMenu* menu, QAction*& item, const char* name, const QString& text, void (TFormMain::*slot)()) {
        item = named(menu->addAction(text), QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, slot);
    };
    auto addSeparator = [&](QMenu* menu, QAction*& item, const char* name) {
        // No text: some styles draw a separator's text beside the line.
        item = named(menu->addSeparator(), QString::fromLatin1(name));
    };

    addMenu(File1, "File1", QStringLiteral("&File"));
    addItem(File1, Exit1, "Exit1", QStringLiteral("&Afsluiten"), &TFormMain::Exit1Click);

    addMenu(Edit, "Edit", QStringLiteral("&Edit"));
    addItem(Edit, Par11, "Par11", QStringLiteral("&Parameters"), &TFormMain::Par11Click);
    addItem(Edit, Par21, "Par21", QStringLiteral("&Sollwerten"), &TFormMain::Par21Click);

    addMenu(Extra, "Extra", QStringLiteral("&Extra"));
    addItem(Extra, Serial1, "Serial1", QStringLiteral("&Serieel"), &TFormMain::Serial1Click);
    addItem(Extra, ww1, "ww1", QStringLiteral("&Opties"), &TFormMain::ww1Click);

    addMenu(Zendenenontvangen1, "Zendenenontvangen1", QStringLiteral("Communicatie"));
    addItem(Zendenenontvangen1, KM40ontvangen1, "KM40ontvangen1", QStringLiteral("Parameters + Sollwerten ontvangen"),
            &TFormMain::KM40ontvangen1Click);
    addSeparator(Zendenenontvangen1, N1, "N1");
    addItem(Zendenenontvangen1, Backup1, "Backup1", QStringLiteral("Backup KM40..."), &TFormMain::Backup1Click);
    addItem(Zendenenontvangen1, Restore1, "Restore1", QStringLiteral("Restore KM40..."), &TFormMain::Restore1Click);
    addSeparator(Zendenenontvangen1, N2, "N2");
    addItem(Zendenenontvangen1, KM40zoeken1, "KM40zoeken1", QStringLiteral("Apparaat zoeken..."),
            &TFormMain::KM40zoeken1Click);

    addMenu(Venster, "Venster", QStringLiteral("&Venster"));
    addItem(Venster, displaynokken1, "displaynokken1", QStringLiteral("Nokken info"), &TFormMain::displaynokken1Click);
    addItem(Venster, Grafiek1, "Grafiek1", QStringLiteral("Grafiek"), &TFormMain::Grafiek1Click);
    addItem(Venster, Grafiek2, "Grafiek2", QStringLiteral("Grafiek2"), &TFormMain::Grafiek2Click);

    addMenu(Info1, "Info1", QStringLiteral("&Help"));
    addItem(Info1, FormAbout, "FormAbout", QStringLiteral("&Info"), &TFormMain::FormAboutClick);
    addItem(Info1, Errno1, "Errno1", QStringLiteral("Error nummers"), &TFormMain::Errno1Click);
}

void TFormMain::buildStatusBar()
{
    // Widths of the panels for a small Windows dialog font (about 5 pixels per character); they
    // grow with a wider font, and never below what their fixed texts need. The three
    // identification panels (2 to 4) show device texts of any length: they share the rest of the
    // bar in the ratio of their widths, so a version text is not cut off while space is left over.
    static constexpr int designWidths[6] = {40, 80, 70, 80, 120, 80};
    static constexpr double designCharWidth = 5.0;
    const char* widestFixedText[6] = {"COM 16", "115200,E,8,1", "", "", "", ". . . . . . "};

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const QFontMetrics metrics(bar->font());
    const double scale = std::max(1.0, metrics.averageCharWidth() / designCharWidth);
    for (int i = 0; i < 6; ++i) {
        QLabel* panel = named(new QLabel(bar), QStringLiteral("StatusPanel") + QString::number(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMargin(1);
        const int fixedTextWidth =
            metrics.horizontalAdvance(QString::fromLatin1(widestFixedText[i])) + 2 * (panel->margin() + panel->frameWidth()) + 4;
        const int width = std::max(static_cast<int>(designWidths[i] * scale), fixedTextWidth);
        StatusPanels[i] = panel;
        if (i >= 2 && i <= 4) {
            panel->setMinimumWidth(width);
            // Their width follows the bar, never the text they happen to show.
            panel->setSizePolicy(QSizePolicy::Ignored, panel->sizePolicy().verticalPolicy());
            bar->addWidget(panel, designWidths[i]);
        } else {
            panel->setFixedWidth(width);
            bar->addWidget(panel);
        }
    }
    StatusPanels[1]->setText(QStringLiteral("Offline"));
}
