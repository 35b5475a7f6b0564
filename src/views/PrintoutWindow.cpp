#include "views/PrintoutWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"
#include "params/FileDialogs.h"
#include "params/Latin1Text.h"
#include "views/QtPrintCanvas.h"

namespace {

constexpr char Section[] = "Afdrukken";
constexpr char JobTitle[] = "KM4x Printing";
constexpr int PdfResolution = 600;

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

std::string Bytes(const QString& Text)
{
    return Text.toLatin1().toStdString();
}

} // namespace

TPrintoutWindow::TPrintoutWindow(const char* CaptionKey, const char* DesignCaption, QWidget* Parent)
    : QDialog(Parent)
    , captionKey_(CaptionKey)
    , designCaption_(DesignCaption)
{
    setModal(true);
    setWindowTitle(QString::fromLatin1(DesignCaption));

    auto field = [this](const char* Name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(Name));
        edit->setMinimumWidth(260);
        return edit;
    };
    auto label = [this](const char* Name, const char* Caption, QLineEdit* Buddy) {
        auto* l = new QLabel(QString::fromLatin1(Caption), this);
        l->setObjectName(QString::fromLatin1(Name));
        l->setBuddy(Buddy);
        return l;
    };
    EditFirma = field("EditFirma");
    EditType = field("EditType");
    EditSn = field("EditSn");
    LabelFirma = label("LabelFirma", "Firma:", EditFirma);
    LabelType = label("LabelType", "Type:", EditType);
    LabelSn = label("LabelSn", "Serie nummer:", EditSn);

    auto button = [this](const char* Name, const char* Caption) {
        auto* b = new QPushButton(QString::fromLatin1(Caption), this);
        b->setObjectName(QString::fromLatin1(Name));
        b->setToolTip(QStringLiteral("Set Kalibratie mode actief"));
        b->setAutoDefault(false);
        return b;
    };
    CmdOK = button("CmdOK", "OK");
    CmdCancel = button("CmdCancel", "Annuleren");
    CmdPdf = button("CmdPdf", "PDF...");
    CmdPdf->setToolTip(QString());
    CmdOK->setDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(LabelFirma, EditFirma);
    fields->addRow(LabelType, EditType);
    fields->addRow(LabelSn, EditSn);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdPdf);
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(CmdOK, &QPushButton::clicked, this, &TPrintoutWindow::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TPrintoutWindow::CmdCancelClick);
    connect(CmdPdf, &QPushButton::clicked, this, &TPrintoutWindow::CmdPdfClick);
}

TPrintoutWindow::~TPrintoutWindow() = default;

void TPrintoutWindow::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TPrintoutWindow::FormActivate()
{
    pageWord_.clear();
    // The fields always start from the settings: OK stores them back, so fields left empty would
    // wipe the stored company, type and serial number.
    EditFirma->setText(Latin1(ProgramSettings.Firma));
    EditType->setText(Latin1(ProgramSettings.Type));
    EditSn->setText(Latin1(ProgramSettings.Sn));
    if (!LanguageLoaded) {
        ApplyPrintoutTexts();
        return;
    }
    setWindowTitle(Text(captionKey_, designCaption_));
    LabelFirma->setText(Text("LabelFirma", "Firma"));
    LabelType->setText(Text("LabelType", "Type"));
    LabelSn->setText(Text("LabelSn", "Serie nr"));
    CmdOK->setText(Text("CmdOK", "OK"));
    CmdCancel->setText(Text("CmdCancel", "Annuleren"));
    CmdPdf->setText(Text("CmdPdf", "PDF..."));
    pageWord_ = LanguageFile.ReadString(Section, "TekstPagina", "P");
    ApplyPrintoutTexts();
}

void TPrintoutWindow::StoreFields()
{
    ProgramSettings.Firma = Bytes(EditFirma->text());
    ProgramSettings.Type = Bytes(EditType->text());
    ProgramSettings.Sn = Bytes(EditSn->text());
}

TPrintHeader TPrintoutWindow::Header() const
{
    TPrintHeader header;
    header.Labels = {Bytes(LabelFirma->text()), Bytes(LabelType->text()), Bytes(LabelSn->text())};
    header.Firma = ProgramSettings.Firma;
    header.Type = ProgramSettings.Type;
    header.Sn = ProgramSettings.Sn;
    header.PageWord = pageWord_;
    header.Date = Bytes(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    return header;
}

void TPrintoutWindow::Print(TPrintCanvas& Canvas)
{
    TPrintJob job(Canvas, Header());
    PrintBody(job);
}

void TPrintoutWindow::CmdOKClick()
{
    StoreFields();
    QPrinter printer(QPrinter::HighResolution);
    printer.setFromTo(1, 10);
    if (!AppDialogs().ExecPrintDialog(this, &printer)) {
        reject();
        return;
    }
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QString::fromLatin1(JobTitle));
    printer.setPrintRange(QPrinter::AllPages); // the range offered is not used
    QApplication::processEvents();
    QPainter painter;
    if (!painter.begin(&printer)) {
        AppDialogs().ShowError(this, QStringLiteral("The printer could not be started."));
        reject();
        return;
    }
    TQtPrintCanvas canvas(painter, printer);
    Print(canvas);
    painter.end();
    accept();
}

void TPrintoutWindow::CmdCancelClick()
{
    reject();
}

void TPrintoutWindow::CmdPdfClick()
{
    StoreFields();
    const QString path = AskSaveFileName(AppDialogs(), this, Bytes(CmdPdf->text().remove(QLatin1Char('&'))),
                                         "PDF|*.pdf", QStringLiteral("pdf"));
    if (path.isEmpty())
        return; // the window stays for another choice
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(QString::fromLatin1(JobTitle));
        writer.setCreator(QString::fromLatin1(ApplicationTitle));
        writer.setResolution(PdfResolution);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        TQtPrintCanvas canvas(painter, writer);
        Print(canvas);
    }
    std::string error;
    if (!WriteFileAtomically(LocalPath(path), std::string_view(pdf.data().constData(), static_cast<std::size_t>(pdf.data().size())), error)) {
        AppDialogs().ShowError(this, QStringLiteral("The PDF file %1 could not be written: %2")
                                         .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(error.c_str())));
        return;
    }
    accept();
}
