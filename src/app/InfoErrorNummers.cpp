#include "app/InfoErrorNummers.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/RtfTextDocument.h"
#include "app/core/Global_var.h"
#include "app/core/RtfReader.h"
#include "app/core/TextFileIO.h"
#include "params/Latin1Text.h"

TFormInfoErrorNummers* FormInfoErrorNummers = nullptr;

std::string ErrorHelpFileName(int LanguageIndex)
{
    if (LanguageIndex < 0 || LanguageIndex > 2)
        return {};
    return "ErrorHelp" + std::to_string(LanguageIndex) + ".rtf";
}

TFormInfoErrorNummers::TFormInfoErrorNummers(QWidget* Parent)
    : QDialog(Parent, Qt::Window)
    , home_(Parent)
{
    setObjectName(QStringLiteral("FormInfoErrorNummers"));
    setWindowTitle(QStringLiteral("Error nummers"));
    setModal(false);
    resize(545, 362);
    if (!FormInfoErrorNummers)
        FormInfoErrorNummers = this;

    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
}

TFormInfoErrorNummers::~TFormInfoErrorNummers()
{
    if (FormInfoErrorNummers == this)
        FormInfoErrorNummers = nullptr;
}

void TFormInfoErrorNummers::ShowHelp()
{
    // A window shown modally (the parameter editor) blocks every window that is not its own. The
    // help becomes the modal window's while it is open, so it can be scrolled, read and closed
    // beside it; otherwise it belongs to the window it was created for.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = home_;
    if (owner && owner != this && parentWidget() != owner) {
        const QRect frame = geometry();
        const bool wasVisible = isVisible();
        setParent(owner, windowFlags()); // hides the window
        if (wasVisible)
            setGeometry(frame);
    }
    show();
    raise();
    activateWindow();
}

void TFormInfoErrorNummers::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormInfoErrorNummers::changeEvent(QEvent* Event)
{
    QDialog::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormInfoErrorNummers::FormActivate()
{
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 151));
    RichEdit1->setPalette(palette);
    if (LanguageLoaded)
        setWindowTitle(Latin1(LanguageFile.ReadString("HelpErrorNummers", "Caption", "Error nummers")));
    RichEdit1->setAccessibleName(windowTitle());

    const std::string name = ErrorHelpFileName(LanguageIndex);
    if (name.empty())
        return;
    const std::string path = ProgramDir + name;
    std::string contents;
    const TReadResult read = ReadFileCapped(path, MaxRtfBytes + 1, contents);
    if (read == TReadResult::Missing)
        return; // the view keeps what it showed
    TRtfResult rtf;
    if (read == TReadResult::Unreadable) {
        rtf.ErrorKind = "EFOpenError";
        rtf.ErrorMessage = "Cannot open file \"" + path + "\"";
    } else {
        rtf = ParseRtf(contents);
    }
    if (!rtf.Ok) {
        const std::string page = path + "\n" + std::to_string(contents.size());
        if (page != failedPage_) {
            failedPage_ = page;
            AppDialogs().ShowError(this, Latin1(rtf.ErrorKind + " error raised, with message : " + rtf.ErrorMessage));
        }
        return;
    }
    failedPage_.clear();
    FillTextDocument(*RichEdit1->document(), rtf.Document);
}
