#include "params/TransferWindow.h"

#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/LineLostReport.h"
#include "app/core/Global_var.h"
#include "params/StatusPanel.h"

TTransferWindow::TTransferWindow(std::unique_ptr<TTransferSequence> Sequence, const QString& DesignCaption,
                                 QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , sequence_(std::move(Sequence))
{
    setModal(true);
    setWindowTitle(DesignCaption);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumWidth(360);
    Panel1->setMinimumHeight(32);
    QFont bold = Panel1->font();
    bold.setBold(true);
    Panel1->setFont(bold);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdAgain = new QPushButton(QStringLiteral("Again"), this);
    CmdAgain->setObjectName(QStringLiteral("CmdAgain"));
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // Return must not press a button the user did not choose.
    for (QPushButton* button : {CmdOK, CmdAgain, CmdCancel})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdAgain);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    connect(CmdOK, &QPushButton::clicked, this, &TTransferWindow::CmdOKClick);
    connect(CmdAgain, &QPushButton::clicked, this, &TTransferWindow::CmdAgainClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TTransferWindow::CmdCancelClick);

    sequence_->OnChanged = [this] { ShowView(); };
    sequence_->OnClose = [this](TTransferResult Result) {
        done(Result == TTransferResult::OK ? QDialog::Accepted : QDialog::Rejected);
    };
    // A pulled line: one message naming it, the port closed; the run has stopped on its panel.
    sequence_->OnCommError = [this](const TCommError& Error) {
        if (TZBComm* port = sequence_->Port())
            ReportLineLost(this, *port, Error, PanelText());
    };
    ShowView();
}

TTransferWindow::~TTransferWindow()
{
    sequence_->OnChanged = nullptr;
    sequence_->OnClose = nullptr;
    sequence_->OnCommError = nullptr;
}

bool TTransferWindow::Execute(int Mode)
{
    SetMode(Mode);
    return exec() == QDialog::Accepted;
}

void TTransferWindow::SetMode(int Mode)
{
    sequence_->SetMode(TransferModeFromInt(Mode));
}

int TTransferWindow::Mode() const
{
    return static_cast<int>(sequence_->Mode());
}

void TTransferWindow::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TTransferWindow::FormActivate()
{
    if (LanguageLoaded)
        ApplyTexts();
    sequence_->Start();
}

void TTransferWindow::CmdOKClick()
{
    sequence_->OK();
}

void TTransferWindow::CmdAgainClick()
{
    sequence_->Again();
}

void TTransferWindow::CmdCancelClick()
{
    sequence_->Cancel();
}

void TTransferWindow::reject()
{
    CmdCancelClick();
}

void TTransferWindow::closeEvent(QCloseEvent* Event)
{
    // The run decides when the window closes (at once, or at the outstanding reply).
    Event->ignore();
    CmdCancelClick();
}

QString TTransferWindow::PanelText() const
{
    return StatusPanelText(sequence_->View().Panel, panelTexts_);
}

bool TTransferWindow::PanelRed() const
{
    return sequence_->View().PanelRed;
}

void TTransferWindow::ShowView()
{
    const TTransferView& view = sequence_->View();
    ShowStatusPanel(*Panel1, PanelText(), view.PanelRed);

    ProgressBar1->setRange(0, view.ProgressMax > 0 ? view.ProgressMax : 1);
    ProgressBar1->setValue(view.ProgressPosition);

    const bool okWasEnabled = CmdOK->isEnabled();
    CmdOK->setEnabled(view.OKEnabled);
    CmdAgain->setEnabled(view.AgainEnabled);
    CmdCancel->setEnabled(view.CancelEnabled);
    if (view.OKEnabled && !okWasEnabled) {
        CmdOK->setDefault(true);
        CmdOK->setFocus();
    }
}
