#include "params/LijnBackup.h"

#include "app/core/Global_var.h"
#include "params/FileDialogs.h"
#include "params/Latin1Text.h"
#include "params/core/LineFolder.h"
#include "params/core/LineFolderLock.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr char Section[] = "LijnBackup";
constexpr int Columns = 5;
constexpr int ColumnWidths[] = {40, 150, 110, 170, 190};

QString text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

QString twoDigits(int Unit)
{
    return QStringLiteral("%1").arg(Unit, 2, 10, QLatin1Char('0'));
}

} // namespace

TFormLijnBackup::TFormLijnBackup(TZBComm& Port, QString Folder, std::vector<TLineTarget> Targets, QWidget* Parent)
    : QDialog(Parent), line_(Port), folder_(std::move(Folder)), targets_(std::move(Targets))
{
    setObjectName(QStringLiteral("FormLijnBackup"));
    setModal(true);
    setWindowTitle(QStringLiteral("Lijn backup"));

    LabelMap = new QLabel(this);
    LabelMap->setObjectName(QStringLiteral("LabelMap"));
    LabelMap->setTextInteractionFlags(Qt::TextSelectableByMouse);

    StringGridUnits = new QTableWidget(static_cast<int>(targets_.size()), Columns, this);
    StringGridUnits->setObjectName(QStringLiteral("StringGridUnits"));
    StringGridUnits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridUnits->verticalHeader()->hide();
    StringGridUnits->verticalHeader()->setDefaultSectionSize(20);
    StringGridUnits->horizontalHeader()->setStretchLastSection(true);
    int width = 0;
    for (int column = 0; column < Columns; ++column) {
        StringGridUnits->setColumnWidth(column, ColumnWidths[column]);
        width += ColumnWidths[column];
    }
    StringGridUnits->setMinimumSize(width + 4, 170);

    LabelLijn = new QLabel(QStringLiteral("Lijn:"), this);
    LabelLijn->setObjectName(QStringLiteral("LabelLijn"));
    ProgressBarLijn = new QProgressBar(this);
    ProgressBarLijn->setObjectName(QStringLiteral("ProgressBarLijn"));
    ProgressBarLijn->setRange(0, static_cast<int>(targets_.size()));
    ProgressBarLijn->setFormat(QStringLiteral("%v / %m"));
    LabelLijn->setBuddy(ProgressBarLijn);
    LabelUnit = new QLabel(QStringLiteral("Apparaat:"), this);
    LabelUnit->setObjectName(QStringLiteral("LabelUnit"));
    ProgressBarUnit = new QProgressBar(this);
    ProgressBarUnit->setObjectName(QStringLiteral("ProgressBarUnit"));
    ProgressBarUnit->setRange(0, TLineSequence::ValuesPerUnit);
    ProgressBarUnit->setFormat(QStringLiteral("%v / %m"));
    LabelUnit->setBuddy(ProgressBarUnit);

    // A read-only line: a screen reader reads its text as the value.
    PanelStatus = new QLineEdit(this);
    PanelStatus->setObjectName(QStringLiteral("PanelStatus"));
    PanelStatus->setReadOnly(true);
    QFont bold = PanelStatus->font();
    bold.setBold(true);
    PanelStatus->setFont(bold);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setEnabled(false);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setAutoDefault(false);

    auto* bars = new QGridLayout;
    bars->addWidget(LabelLijn, 0, 0);
    bars->addWidget(ProgressBarLijn, 0, 1);
    bars->addWidget(LabelUnit, 1, 0);
    bars->addWidget(ProgressBarUnit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PanelStatus, 1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelMap);
    layout->addWidget(StringGridUnits, 1);
    layout->addLayout(bars);
    layout->addLayout(buttons);

    for (int row = 0; row < StringGridUnits->rowCount(); ++row)
        StringGridUnits->setItem(row, 0, new QTableWidgetItem(twoDigits(targets_[static_cast<std::size_t>(row)].Unit)));

    connect(CmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormLijnBackup::CmdCancelClick);
    line_.OnChanged = [this] { showProgress(); };
    line_.OnFinished = [this] { showFinished(); };
    applyTexts();
}

void TFormLijnBackup::applyTexts()
{
    texts_ = {QStringLiteral("Backup apparaat"), QStringLiteral("Alle apparaten opgeslagen."),
              QStringLiteral("Niet alle apparaten opgeslagen."), QStringLiteral("Afgebroken; wat klaar was, is bewaard."),
              QStringLiteral("Manifest niet geschreven:"), QStringLiteral("Afbreken...")};
    QStringList headers{QStringLiteral("No."), QStringLiteral("Type"), QStringLiteral("Serienummer"),
                        QStringLiteral("Bestand"), QStringLiteral("Status")};
    QString folderText = QStringLiteral("Map:");
    if (LanguageLoaded) {
        setWindowTitle(text("Caption", "Lijn backup"));
        folderText = text("LabelMap", "Map:");
        LabelLijn->setText(text("LabelLijn", "Lijn:"));
        LabelUnit->setText(text("LabelUnit", "Apparaat:"));
        CmdOK->setText(text("CmdOK", "OK"));
        CmdCancel->setText(text("CmdCancel", "Cancel"));
        for (int column = 0; column < Columns; ++column) {
            const std::string key = "KolomTekst" + std::to_string(column);
            headers[column] = Latin1(LanguageFile.ReadString(Section, key, headers[column].toStdString()));
        }
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            const std::string key = "PanelTekst" + std::to_string(i);
            texts_[i] = Latin1(LanguageFile.ReadString(Section, key, texts_[i].toStdString()));
        }
    }
    LabelMap->setText(folderText + QLatin1Char(' ') + folder_);
    StringGridUnits->setHorizontalHeaderLabels(headers);
    StringGridUnits->setAccessibleName(windowTitle());
    ProgressBarLijn->setAccessibleName(LabelLijn->text());
    ProgressBarUnit->setAccessibleName(LabelUnit->text());
    PanelStatus->setAccessibleName(windowTitle());
}

void TFormLijnBackup::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (started_ || Event->spontaneous())
        return;
    started_ = true;
    // Once the window is up, so that the first progress is seen.
    QTimer::singleShot(0, this, [this] {
        // One run at a time writes into the folder; then a backup already in it is kept whole in a
        // sub-folder before anything is written.
        folderLock_ = std::make_unique<TLineFolderLock>(LocalPath(folder_));
        const TEarlierBackup earlier =
            folderLock_->Held() ? SetAsideEarlierLineBackup(LocalPath(folder_)) : TEarlierBackup{{}, folderLock_->Error()};
        if (!earlier.Ok()) {
            setStatus(texts_[4] + QLatin1Char(' ') + Latin1(earlier.Error), true);
            CmdOK->setEnabled(true);
            CmdCancel->setEnabled(false);
            return;
        }
        line_.Start(TLineJob::Backup, LocalPath(folder_), targets_);
    });
}

void TFormLijnBackup::showRow(int Row)
{
    const TLineUnitResult& unit = line_.Units()[static_cast<std::size_t>(Row)];
    const std::array<std::string, Columns> cells{"", unit.Row.Type, unit.Row.Serial, unit.Row.File, unit.Row.Status};
    for (int column = 1; column < Columns; ++column) {
        const QString value = Latin1(cells[static_cast<std::size_t>(column)]);
        QTableWidgetItem* item = StringGridUnits->item(Row, column);
        if (!item)
            StringGridUnits->setItem(Row, column, item = new QTableWidgetItem);
        if (item->text() != value)
            item->setText(value);
    }
    // Red for a unit that was not saved, as the program marks errors.
    if (QTableWidgetItem* status = StringGridUnits->item(Row, Columns - 1))
        status->setForeground(unit.State == TLineUnitState::Failed ? QBrush(Qt::red) : palette().brush(QPalette::Text));
}

void TFormLijnBackup::showProgress()
{
    int done = 0;
    for (int row = 0; row < static_cast<int>(line_.Units().size()); ++row) {
        showRow(row);
        const TLineUnitState state = line_.Units()[static_cast<std::size_t>(row)].State;
        done += state == TLineUnitState::Done || state == TLineUnitState::Failed ? 1 : 0;
    }
    ProgressBarLijn->setValue(done);
    const int current = line_.Current();
    // After the run the unit bar stays where the last unit ended.
    if (current >= 0)
        ProgressBarUnit->setValue(line_.ValuesDone());
    else if (!line_.Units().empty() && line_.Units().back().State == TLineUnitState::Done)
        ProgressBarUnit->setValue(ProgressBarUnit->maximum());
    if (current >= 0 && !line_.Cancelled()) {
        StringGridUnits->selectRow(current);
        setStatus(texts_[0] + QStringLiteral(" %1/%2 (%3)").arg(current + 1).arg(line_.Units().size())
                                  .arg(twoDigits(line_.Units()[static_cast<std::size_t>(current)].Row.Unit)),
                  false);
    }
}

void TFormLijnBackup::showFinished()
{
    folderLock_.reset();
    showProgress();
    if (!line_.ManifestError().empty())
        setStatus(texts_[4] + QLatin1Char(' ') + Latin1(line_.ManifestError()), true);
    else if (line_.Cancelled())
        setStatus(texts_[3], true);
    else
        setStatus(line_.AllOk() ? texts_[1] : texts_[2], !line_.AllOk());
    CmdOK->setEnabled(true);
    CmdOK->setDefault(true);
    CmdOK->setFocus();
    CmdCancel->setEnabled(false);
}

void TFormLijnBackup::setStatus(const QString& Text, bool Red)
{
    PanelStatus->setText(Text);
    QPalette colours = PanelStatus->palette();
    colours.setColor(QPalette::Text, Red ? QColor(Qt::red) : palette().color(QPalette::Text));
    PanelStatus->setPalette(colours);
}

void TFormLijnBackup::CmdCancelClick()
{
    if (line_.Running()) {
        setStatus(texts_[5], false);
        line_.Cancel();
        return;
    }
    QDialog::reject();
}

void TFormLijnBackup::reject()
{
    if (line_.Running())
        CmdCancelClick();
    else
        QDialog::reject();
}
