// Renders the parameter editor, the single-parameter dialog and the setpoint editor in Dutch,
// English and German, with the shipped data and the main window connected to a simulated
// controller, into edit-param-<lang>.png, param-service-<lang>.png and edit-setpoints-<lang>.png.
// Also writes the parameter and setpoint printouts of the simulator's values as
// printout-parameters-<lang>.pdf and printout-setpoints-<lang>.pdf (look at them with pdftoppm).
// Run under Xvfb: xvfb-run -a build/bin/editor_screenshots docs/screenshots
#include "FactoryDefaults.h"
#include "ScreenshotMain.h"
#include "SimulatedProgram.h"
#include "TempProgramDir.h"
#include "app/KM40Main.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"
#include "comm/qt/QtUiDispatcher.h"
#include "params/EditParam.h"
#include "params/EditSollwerten.h"
#include "params/EditorWindows.h"
#include "params/FilteredLineEdit.h"
#include "params/MainParamCommands.h"
#include "params/ParamService.h"
#include "params/SetpointGrid.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/SetComparison.h"
#include "params/core/ValueTableFiles.h"
#include "params/Verschillen.h"
#include <QPlainTextEdit>
#include "views/AfdrukkenPar.h"
#include "views/AfdrukkenSoll.h"
#include "views/PrintoutWindows.h"
#include "views/QtPrintCanvas.h"

#include <Simulator.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

bool save(QWidget& window, const QString& outputDir, const QString& name, const char* code)
{
    QTest::qWait(150);
    const QString path = QDir(outputDir).filePath(QStringLiteral("%1-%2.png").arg(name, QLatin1String(code)));
    const bool ok = window.grab().save(path);
    std::printf("%s: %s\n", qPrintable(path), ok ? "written" : "FAILED");
    return ok;
}

bool printToPdf(TPrintoutWindow& window, const QString& outputDir, const QString& name, const char* code)
{
    const QString path = QDir(outputDir).filePath(QStringLiteral("%1-%2.pdf").arg(name, QLatin1String(code)));
    window.show();
    {
        QPdfWriter writer(path);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        TQtPrintCanvas canvas(painter, writer);
        window.Print(canvas);
    }
    const bool shown = save(window, outputDir, name + QStringLiteral("-window"), code);
    window.hide();
    std::printf("%s: written\n", qPrintable(path));
    return shown && QFile::exists(path);
}

bool render(const QString& outputDir, int languageIndex, const char* code)
{
    km4x::Simulator simulator(OneSimulatedUnit());

    TempProgramDir dir({QStringLiteral("Taal0.ini"), QStringLiteral("Taal1.ini"), QStringLiteral("Taal2.ini"),
                        QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt"), QStringLiteral("Tree0.txt"),
                        QStringLiteral("Tree1.txt"), QStringLiteral("Tree2.txt")});
    WriteSimulatorSettings(dir, languageIndex, simulator.devicePath());

    Global_var.Reset();
    bool ok = true;
    {
        TFormMain form(dir.Path());
        InstallTransferCommands(form);
        InstallEditorWindows(form);
        InstallPrintoutWindows(form);
        form.show();
        QTest::mouseClick(form.CmdSelectUnit, Qt::LeftButton);
        QDeadlineTimer deadline(10000);
        while (!form.ZBComm1.Active() && !deadline.hasExpired())
            QTest::qWait(20);
        ParameterValues = CatalogueDefaultValues();
        ParameterSource = TParameterSource::Defaults;

        TFormEditParam& editor = *FormEditParam;
        editor.show();
        editor.TreeView1->setCurrentItem(editor.TreeNode(2, 2));
        editor.StringGrid1->setFocus();
        editor.SelectRow(2);
        ok = save(editor, outputDir, QStringLiteral("edit-param"), code) && ok;

        // A comparison with a file: the differing rows marked, and their list.
        {
            const TParameterValues held = ParameterValues;
            SaveParameterFileFromTables(dir.File(QStringLiteral("reference.app")).toStdString());
            ParameterValues[210] += 125;
            ParameterValues[212] = 1;
            ParameterValues[1] = 5;
            TValueSet reference;
            LoadValueSet(dir.File(QStringLiteral("reference.app")).toStdString(), reference);
            TFormVerschillen list(&editor);
            list.show();
            list.MemoVerschillen->setPlainText([&] {
                TValueSet now;
                now.Parameters = ParameterValues;
                QStringList lines;
                for (const TValueDifference& d : CompareValueSets(reference, now).value_or(std::vector<TValueDifference>{}))
                    lines << QString::fromLatin1(DifferenceLine(d).c_str());
                return lines.join(QLatin1Char('\n'));
            }());
            ok = save(list, outputDir, QStringLiteral("differences"), code) && ok;
            list.hide();
            ParameterValues = held;
        }

        const int row = editor.SelectedRow();
        editor.StringGrid1SelectCell(row);
        TFormParamService& service = *FormParamService;
        service.show();
        service.MaskEditParData->setText(QStringLiteral("99999999"));
        service.CmdOKClick(); // too many digits: the status line says so in red
        ok = save(service, outputDir, QStringLiteral("param-service"), code) && ok;
        service.hide();
        editor.hide();

        for (int k = 1; k <= SetpointCount; ++k)
            SetpointValues[static_cast<std::size_t>(k)] = k * 1250 - 20000;
        ParameterValues[203] = 2;
        TFormEditSollwerten& setpoints = *FormEditSollwerten;
        setpoints.show();
        setpoints.activateWindow();
        setpoints.SelectCell(4, 3);
        setpoints.StringGrid1->setFocus();
        setpoints.StringGrid1->OpenCellEditor();
        if (QLineEdit* cell = setpoints.CellEditor())
            cell->setText(QStringLiteral("12,5"));
        ok = save(setpoints, outputDir, QStringLiteral("edit-setpoints"), code) && ok;
        setpoints.StringGrid1Escape();
        setpoints.hide();

        // The simulator's values, as nothing was written to it: its factory values.
        for (int n = 0; n < ParameterCount; ++n)
            ParameterValues[static_cast<std::size_t>(n)] = km4x::FactoryParameter(n);
        ProgramSettings.Firma = "Example Packaging Ltd";
        ProgramSettings.Type = "Cartoner CT-40";
        ProgramSettings.Sn = "2026-0417";
        ok = printToPdf(*FormAfdrukkenPar, outputDir, QStringLiteral("printout-parameters"), code) && ok;
        ok = printToPdf(*FormAfdrukkenSoll, outputDir, QStringLiteral("printout-setpoints"), code) && ok;
        form.ZBComm1.Close();
    }
    ClearPortDevicePaths();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    return ScreenshotMain(argc, argv, [](const QString& outputDir) {
        bool ok = render(outputDir, 0, "nl");
        ok = render(outputDir, 1, "en") && ok;
        return render(outputDir, 2, "de") && ok;
    });
}
