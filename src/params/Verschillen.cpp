#include "params/Verschillen.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"
#include "params/FileDialogs.h"
#include "params/Latin1Text.h"

namespace {

constexpr char Section[] = "Verschillen";

QString Text(const char* Key, const char* Default)
{
    return LanguageLoaded ? Latin1(LanguageFile.ReadString(Section, Key, Default)) : QString::fromLatin1(Default);
}

QPushButton* Button(QWidget* Parent, const char* Name)
{
    auto* button = new QPushButton(Parent);
    button->setObjectName(QString::fromLatin1(Name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormVerschillen::TFormVerschillen(QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("FormVerschillen"));
    setModal(true);
    resize(640, 360);
    MemoVerschillen = new QPlainTextEdit(this);
    MemoVerschillen->setObjectName(QStringLiteral("MemoVerschillen"));
    MemoVerschillen->setReadOnly(true);
    MemoVerschillen->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoVerschillen->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    CmdKopieren = Button(this, "CmdKopieren");
    CmdOpslaanCsv = Button(this, "CmdOpslaanCsv");
    CmdSluiten = Button(this, "CmdSluiten");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdKopieren);
    buttons->addWidget(CmdOpslaanCsv);
    buttons->addStretch();
    buttons->addWidget(CmdSluiten);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoVerschillen, 1);
    layout->addLayout(buttons);
    connect(CmdKopieren, &QPushButton::clicked, this, &TFormVerschillen::CmdKopierenClick);
    connect(CmdOpslaanCsv, &QPushButton::clicked, this, &TFormVerschillen::CmdOpslaanCsvClick);
    connect(CmdSluiten, &QPushButton::clicked, this, &QDialog::accept);
    ApplyTexts();
}

void TFormVerschillen::ApplyTexts()
{
    setWindowTitle(Text("Caption", "Verschillen"));
    CmdKopieren->setText(Text("CmdKopieren", "&Kopieren"));
    CmdOpslaanCsv->setText(Text("CmdOpslaanCsv", "Opslaan als &CSV..."));
    CmdSluiten->setText(Text("CmdSluiten", "&Sluiten"));
    MemoVerschillen->setAccessibleName(windowTitle());
}

void TFormVerschillen::Execute(const std::vector<TValueDifference>& Differences)
{
    differences_ = Differences;
    ApplyTexts();
    QStringList lines;
    for (const TValueDifference& d : differences_)
        lines << Latin1(DifferenceLine(d));
    MemoVerschillen->setPlainText(lines.isEmpty() ? Text("GeenVerschillen", "Geen verschillen.") : lines.join('\n'));
    CmdKopieren->setEnabled(!differences_.empty());
    CmdOpslaanCsv->setEnabled(!differences_.empty());
    exec();
}

QString TFormVerschillen::Lines() const
{
    QStringList lines;
    for (const TValueDifference& d : differences_)
        lines << Latin1(DifferenceLine(d));
    return lines.isEmpty() ? QString() : lines.join('\n') + QLatin1Char('\n');
}

void TFormVerschillen::CmdKopierenClick()
{
    QApplication::clipboard()->setText(Lines());
}

void TFormVerschillen::CmdOpslaanCsvClick()
{
    QString caption = CmdOpslaanCsv->text();
    caption.remove(QLatin1Char('&'));
    const QString path =
        AskSaveFileName(AppDialogs(), this, caption.toLatin1().toStdString(), "CSV|*.csv", QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    std::string csv = std::string(DifferenceCsvHeader) + "\r\n";
    for (const TValueDifference& d : differences_)
        csv += DifferenceCsvLine(d) + "\r\n";
    std::string error;
    if (!WriteFileAtomically(LocalPath(path), csv, error))
        AppDialogs().ShowError(this, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                                 QString::fromLocal8Bit(error.c_str())));
}
