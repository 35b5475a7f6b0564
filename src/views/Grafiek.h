#pragma once
// TFormGrafiek: the live graph. Logs one actual value as fast as the line allows (the protocol
// component KT750LeesLogData in cyclic mode), up to 4001 samples, and draws it against time with
// selectable scales, grid lines, autoscroll and a scroll bar. The view can be paused while the
// log goes on, and the log can be saved as CSV and the plot as PNG.
#include "comm/KT750Protocol.h"
#include "views/ModalView.h"
#include "views/core/GraphLog.h"

#include <QElapsedTimer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollBar;
class TPaintBox;

class TFormGrafiek : public TModalView {
    Q_OBJECT
public:
    // The protocol component is bound to Port (the main window's ZBComm1).
    explicit TFormGrafiek(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormGrafiek() override;

    void FormActivate() override;
    void FormClose() override;
    void CmdStartLogClick();
    void CmdStopLogClick();
    void ScrollBar2Change();
    void ListBoxXClick();
    void ListBoxYClick();
    void ComboBoxBronChange();
    void CheckHulplijnenXasClick();
    void CheckHulplijnenYasClick();
    void KT750LeesLogDataCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750LeesLogDataCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);
    void TekenGrafiek();
    void TekenYasVerdeling();
    void TekenMiddenlijn();
    void YasHulpLijnen();
    void CmdExportCsvClick();
    void CmdExportPngClick();

    // For the tests and the benchmark: the log and the time source of new samples.
    views::GraphLog& Log() { return log_; }
    void SetClock(std::function<std::uint32_t()> Clock) { clock_ = std::move(Clock); }
    bool Logging() const { return logging_; }

    // Writes the log as CSV or the plot (with its axis strips) as PNG; false with a reason.
    bool SaveCsv(const QString& Path, QString& Error) const;
    bool SavePng(const QString& Path, QString& Error) const;
    QImage PlotWithAxes() const;

    TKT750Protocol KT750LeesLogData;

    TPaintBox* Image1 = nullptr;
    TPaintBox* ImageX = nullptr;
    TPaintBox* ImageY = nullptr;
    QLabel* LabelBron = nullptr;
    QComboBox* ComboBoxBron = nullptr;
    QGroupBox* GroupBox_Xas = nullptr;
    QListWidget* ListBoxX = nullptr;
    QCheckBox* CheckHulplijnenXas = nullptr;
    QGroupBox* GroupBox_Yas = nullptr;
    QListWidget* ListBoxY = nullptr;
    QCheckBox* CheckHulplijnenYas = nullptr;
    QPushButton* CmdStartLog = nullptr;
    QPushButton* CmdStopLog = nullptr;
    QCheckBox* CheckBoxAutoScroll = nullptr;
    QCheckBox* CheckPauze = nullptr;
    QPushButton* CmdExportCsv = nullptr;
    QPushButton* CmdExportPng = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QLabel* LabelBuffer = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* LabelBufferCount = nullptr;
    QLabel* PanelCommError = nullptr;

private:
    void ApplyTexts();
    void ShowStatus(const QString& Text, const QColor& Color);
    void ExportTo(const QString& Caption, const QString& Filter,
                  bool (TFormGrafiek::*Save)(const QString&, QString&) const);
    void EndLog();
    // The port closed under the window (a lost line): the log ends, Start waits for an open port.
    void portClosed();
    void DrawTimeAxis(std::int32_t T0);
    int Source() const;
    std::int32_t TimeScale() const;
    std::int32_t ValueScale() const;

    views::GraphLog log_;
    std::function<std::uint32_t()> clock_;
    QElapsedTimer elapsed_;
    bool logging_ = false;
    std::array<QString, 5> statusTexts_;
};

extern TFormGrafiek* FormGrafiek;
