// Creating and closing the main window: settings and language files present, missing or broken;
// design texts, menu states, the calibration word; the settings saved at the end.
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include "app/core/LanguageFile.h"
#include "device/PanelColors.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

using namespace gui_test;

namespace {

// A window created from a directory with exactly the given files, from a clean program state.
struct Created {
    TempProgramDir dir;
    FakeDialogs dialogs;
    FakeDialogs::Installed installed{dialogs};
    std::unique_ptr<TFormMain> form;

    explicit Created(const QStringList& dataFiles = {}) : dir(dataFiles) {}
    ~Created()
    {
        form.reset();
        ClearPortDevicePaths();
        Global_var.Reset();
    }
    TFormMain& create(const QStringList& arguments = {})
    {
        Global_var.Reset();
        ClearPortDevicePaths();
        form = std::make_unique<TFormMain>(dir.Path(), arguments);
        return *form;
    }
};

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    QRandomGenerator generator(4711);
    for (char& c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

} // namespace

class MainWindowCreateTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlCarriesItsName()
    {
        Created c;
        TFormMain& form = c.create();
        const char* names[] = {
            "CmdSelectUnit", "SpinEditUnitSelect", "PanelComInfo", "PanelErrorNo", "Tb_in1", "Tb_in5", "TB_in6",
            "TB_K0", "TbUitgang1", "TbUitgang9", "LabelFun_K0", "LabelFun_in6", "LabelFun_uit9",
            "PanelData_IO_in", "PanelData_IO_uit", "PanelActPos", "PanelSnelheid", "PanelSpanning", "PanelStroom",
            "PanelActPosLin", "Panel_DW1", "Panel_DW4", "EditZenden", "CmdTerminalZenden", "MemoReceive",
            "CmdActual", "CmdInUit", "CmdDuimwiel", "CmdResetError", "CmdCalibratie", "StatusPanel0",
            "StatusPanel5", "Timer1", "GroepIngangen", "GroepUitgangen", "GroepData_IO", "GroepActual",
            "GroepDuimwiel"};
        for (const char* name : names)
            QVERIFY2(form.findChild<QObject*>(QString::fromLatin1(name)), name);
        const char* items[] = {"File1",  "Exit1",          "Edit",     "Par11",       "Par21",
                               "Extra",  "Serial1",        "ww1",      "Zendenenontvangen1",
                               "KM40ontvangen1", "N1",     "Backup1",  "Restore1",    "N2",
                               "KM40zoeken1", "Venster",   "displaynokken1", "Grafiek1", "Grafiek2",
                               "Info1",  "FormAbout",      "Errno1"};
        for (const char* name : items)
            QVERIFY2(form.findChild<QAction*>(QString::fromLatin1(name)), name);
        // The menu in its order.
        QStringList order;
        for (QAction* top : form.menuBar()->actions()) {
            order << top->objectName();
            for (QAction* item : top->menu()->actions())
                order << item->objectName();
        }
        QCOMPARE(order.join(QLatin1Char(' ')),
                 QStringLiteral("File1 Exit1 Edit Par11 Par21 Extra Serial1 ww1 Zendenenontvangen1 KM40ontvangen1 N1 "
                                "Backup1 Restore1 N2 KM40zoeken1 Venster displaynokken1 Grafiek1 Grafiek2 Info1 "
                                "FormAbout Errno1"));
    }

    void windowFrameAndStatusBar()
    {
        Created c;
        TFormMain& form = c.create();
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelmor Software Tool (KMT40)"));
        QCOMPARE(form.width(), 712);
        QCOMPARE(form.height() - form.menuBar()->sizeHint().height(), 493);
        QCOMPARE(form.minimumSize(), form.maximumSize()); // not resizable
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        // The communication-error and device-error panels are borderless text, not value fields.
        QCOMPARE(form.PanelComInfo->frameShape(), QFrame::NoFrame);
        QCOMPARE(form.PanelErrorNo->frameShape(), QFrame::NoFrame);
        // Laid out as the user sees it: at least the design widths, and wide enough for the port's
        // longest texts and a typical version text in panel 3.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const int widths[] = {40, 80, 70, 80, 120, 80};
        int total = 0;
        for (int i = 0; i < 6; ++i) {
            QLabel* panel = form.StatusPanels[static_cast<std::size_t>(i)];
            QVERIFY(panel->width() >= widths[i]);
            total += panel->width();
        }
        QVERIFY(total <= form.width());
        const QFontMetrics metrics(form.StatusPanels[0]->font());
        QVERIFY(form.StatusPanels[0]->contentsRect().width() >= metrics.horizontalAdvance(QStringLiteral("COM 16")));
        QVERIFY(form.StatusPanels[1]->contentsRect().width() >=
                metrics.horizontalAdvance(QStringLiteral("115200,E,8,1")));
        QVERIFY(form.StatusPanels[3]->contentsRect().width() >=
                metrics.horizontalAdvance(QStringLiteral("SW 2.31 2021-03-15")));
        // A long device text never widens its panel beyond the window.
        form.StatusPanels[4]->setText(QString(200, QLatin1Char('X')));
        QCoreApplication::processEvents(); // the bar lays itself out again
        QVERIFY(form.StatusPanels[4]->geometry().right() < form.StatusPanels[5]->geometry().left());
        QVERIFY(form.StatusPanels[5]->geometry().right() < form.width());
    }

    void withoutAnyFileTheDesignTextsAndDefaultsStand()
    {
        Created c;
        TFormMain& form = c.create();
        QVERIFY(!LanguageLoaded);
        QVERIFY(!CatalogueLoaded);
        // The port as placed on the window.
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br9600);
        QCOMPARE(form.ZBComm1.FrameDatabits(), TDataBit::db_8);
        QCOMPARE(form.ZBComm1.FrameParitybit(), TParityBit::Odd);
        QCOMPARE(form.ZBComm1.FrameStopbits(), TStopBit::sb_1);
        QCOMPARE(form.ZBComm1.PortName(), TPort::COM1);
        QCOMPARE(form.ZBComm1.PortType(), TPortType::RS485);
        QCOMPARE(form.ZBComm1.Hardware(), THardware::PCLabPCL745);
        QCOMPARE(form.ZBComm1.TransmitDriver(), TTransmitDriver::tdRegister7to1);
        QCOMPARE(form.ZBComm1.ReceiveDriver(), TReceiveDriver::rdRegister7to2);
        QCOMPARE(form.SpinEditUnitSelect->value(), 0);
        QCOMPARE(form.SpinEditUnitSelect->maximum(), 31);
        QCOMPARE(form.SpinEditUnitSelect->toolTip(), QStringLiteral("KM4x no:"));

        // Design texts stay; held texts stay empty.
        QCOMPARE(form.GroepIngangen->title(), QStringLiteral("Ingangen"));
        QCOMPARE(form.GroepDuimwiel->title(), QStringLiteral("Duimwiel"));
        QCOMPARE(form.CmdTerminalZenden->text(), QStringLiteral("Transmit"));
        QCOMPARE(form.CmdResetError->text(), QStringLiteral("RST SSI Err"));
        QCOMPARE(form.File1->title(), QStringLiteral("&File"));
        QCOMPARE(form.KM40ontvangen1->text(), QStringLiteral("Parameters + Sollwerten ontvangen"));
        QCOMPARE(form.LabelFun_in[0]->text(), QStringLiteral("Ingang 1"));
        QCOMPARE(form.LabelFun_uit[8]->text(), QStringLiteral("Uitgang 9"));
        for (QPushButton* button : {form.CmdSelectUnit, form.CmdInUit, form.CmdActual, form.CmdDuimwiel})
            QCOMPARE(button->text(), QString());
        QCOMPARE(form.LabelFun_K0->text(), QString());

        QCOMPARE(form.StatusPanelText(1), QStringLiteral("Offline"));
        QVERIFY(!form.CmdTerminalZenden->isEnabled());
        QVERIFY(!form.KM40ontvangen1->isEnabled());
        QVERIFY(!form.Backup1->isEnabled());
        QVERIFY(!form.Restore1->isEnabled());
        QVERIFY(form.KM40zoeken1->isEnabled());
        QVERIFY(form.Par11->isEnabled() && form.Par21->isEnabled() && form.Serial1->isEnabled());
        QVERIFY(form.CmdCalibratie->isHidden());
        QCOMPARE(ParameterSource, TParameterSource::None);
        QCOMPARE(SetpointSource, TSetpointSource::None);
        QCOMPARE(device::Background(form.TB_K0), device::NeutralColor(&form));
        QCOMPARE(device::Background(form.TbUitgang[8]), device::NeutralColor(&form));
    }

    void languageTextsAreWindows1252()
    {
        Created c;
        c.dir.Write(QStringLiteral("Taal0.ini"), "[Main]\r\nLabelActualPositie=\x80 \x93Positie\x94\r\n"
                                                 "subBackup=Back\x96up \xe9\r\nPanelTekst0=\x84time-out\x93\r\n");
        TFormMain& form = c.create();
        QVERIFY(LanguageLoaded);
        QCOMPARE(form.LabelActualPositie->text(), QStringLiteral("\u20ac \u201cPositie\u201d"));
        QCOMPARE(form.Backup1->text(), QStringLiteral("Back\u2013up \u00e9"));
    }

    void eachLanguageFileGivesItsTexts()
    {
        struct Case {
            int index;
            const char* file;
        } cases[] = {{0, "Taal0.ini"}, {1, "Taal1.ini"}, {2, "Taal2.ini"}, {7, "Taal0.ini"}};
        for (const Case& k : cases) {
            Created c({QStringLiteral("Taal0.ini"), QStringLiteral("Taal1.ini"), QStringLiteral("Taal2.ini")});
            c.dir.Write(QStringLiteral("application.ini"), "[Opties]\r\nTaal=" + QByteArray::number(k.index) + "\r\n");
            TFormMain& form = c.create();
            QVERIFY(LanguageLoaded);
            // What the file itself says, read independently of the window.
            TLanguageFile expected;
            QVERIFY(expected.LoadFromFile(c.dir.File(QString::fromLatin1(k.file)).toStdString()));
            auto text = [&](const char* key) {
                return QString::fromLatin1(expected.ReadString("Main", key, "<missing>"));
            };
            QCOMPARE(form.GroepIngangen->title(), text("GroepIngangen"));
            QCOMPARE(form.GroepDuimwiel->title(), text("GroepDuimwiel"));
            QCOMPARE(form.LabelActualLinPos->text(), text("LabelActualLinPos"));
            QCOMPARE(form.CmdSelectUnit->text(), text("CmdComOpen"));
            QCOMPARE(form.CmdInUit->text(), text("CmdIO_ON"));
            QCOMPARE(form.CmdTerminalZenden->text(), text("CmdTerminalZenden"));
            QCOMPARE(form.File1->title(), text("menuBestand"));
            QCOMPARE(form.Restore1->text(), text("subRestore"));
            QCOMPARE(form.Errno1->text(), text("subErrorNummers"));
            for (QAction* separator : {form.N1, form.N2}) {
                QVERIFY(separator->isSeparator());
                QCOMPARE(separator->text(), QString());
            }
            QCOMPARE(form.LabelFun_K0->text(), text("K0_Inactief")); // all parameters 0
            QVERIFY(!form.CmdTerminalZenden->isEnabled());
        }
    }

    void aKeyMissingFromTheFileGivesTheCompiledDefault()
    {
        Created c;
        c.dir.Write(QStringLiteral("Taal0.ini"), "[main]\r\ngroepactual=Istwerte\r\nGroepIngangen = Eingaenge\r\n"
                                                 "CmdTerminalZenden=Send \r\n");
        TFormMain& form = c.create();
        QCOMPARE(form.GroepActual->title(), QStringLiteral("Istwerte"));
        QCOMPARE(form.GroepIngangen->title(), QStringLiteral("Ingangen")); // "GroepIngangen " is another key
        QCOMPARE(form.CmdTerminalZenden->text(), QStringLiteral("Send "));
        QCOMPARE(form.GroepDuimwiel->title(), QStringLiteral("DW"));
        QCOMPARE(form.CmdSelectUnit->text(), QStringLiteral("Open"));
        QCOMPARE(form.CmdActual->text(), QStringLiteral("Actual ON"));
        QCOMPARE(form.LabelDataUit->text(), QStringLiteral("Data uit:"));
        QCOMPARE(form.Grafiek2->text(), QStringLiteral("Linearisatie"));
        QCOMPARE(form.LabelFun_K0->text(), QStringLiteral("Inactief"));
    }

    void brokenSettingsAndLanguageFilesNeverStopTheStart()
    {
        const QByteArray contents[] = {
            QByteArray(),
            randomBytes(4096),
            QByteArray("[Serieel]\r\nbaudrate=42\r\nparity=-1\r\ndatabit=abc\r\nportname=99\r\nunit_no=99\r\n"
                       "[Opties]\r\nTaal=-3\r\n[Poorten]\r\nCOM1=\r\n"),
            QByteArray(3 * 1024 * 1024, '['),
        };
        for (const QByteArray& bytes : contents) {
            Created c;
            c.dir.Write(QStringLiteral("application.ini"), bytes);
            c.dir.Write(QStringLiteral("Taal0.ini"), bytes);
            c.dir.Write(QStringLiteral("Parameters.txt"), bytes);
            TFormMain& form = c.create();
            QVERIFY(IsValidEnum(form.ZBComm1.Baudrate()));
            QVERIFY(IsValidEnum(form.ZBComm1.FrameParitybit()));
            QVERIFY(IsValidEnum(form.ZBComm1.PortName()));
            QVERIFY(form.SpinEditUnitSelect->value() >= 0 && form.SpinEditUnitSelect->value() <= 31);
            QCOMPARE(form.StatusPanelText(1), QStringLiteral("Offline"));
            form.close(); // saving must cope too
            QVERIFY(form.ZBComm1.Active() == false);
        }
    }

    void theCalibrationWordShowsTheCalibrationButton()
    {
        struct Case {
            QStringList arguments;
            bool shown;
        } cases[] = {
            {{QStringLiteral("adjustkit")}, true},
            {{QStringLiteral("AdjustKIT")}, true},
            {{QStringLiteral("adjustkit"), QStringLiteral("x")}, true},
            {{QStringLiteral("x"), QStringLiteral("adjustkit")}, false},
            {{QStringLiteral("adjustkit2")}, false},
            {{}, false},
        };
        for (const Case& k : cases) {
            Created c;
            TFormMain& form = c.create(k.arguments);
            QCOMPARE(!form.CmdCalibratie->isHidden(), k.shown);
        }
    }

    void closingSavesTheSettingsAndReleasesTheFiles()
    {
        Created c({QStringLiteral("Taal0.ini"), QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt")});
        c.dir.Write(QStringLiteral("application.ini"), "; mine\r\n[Eigen]\r\nSleutel=waarde\r\n[Serieel]\r\nunit_no=7\r\n");
        TFormMain& form = c.create();
        QVERIFY(CatalogueLoaded);
        QCOMPARE(form.SpinEditUnitSelect->value(), 7);
        QCOMPARE(form.ZBComm1.Baudrate(), TBaudrate::br38400); // the file's defaults, not the window's
        form.SpinEditUnitSelect->setValue(21);
        form.ZBComm1.SetBaudrate(TBaudrate::br115200);
        QSignalSpy closed(&form, &TFormMain::Closed);
        form.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!CatalogueLoaded);
        QVERIFY(!MenuMapLoaded);
        QVERIFY(LanguageFile.Empty());

        const QByteArray saved = c.dir.Read(QStringLiteral("application.ini"));
        QVERIFY2(saved.contains("unit_no=21"), saved.constData());
        QVERIFY2(saved.contains("baudrate=8"), saved.constData());
        QVERIFY2(saved.contains("Sleutel=waarde"), saved.constData());
        QCOMPARE(c.dialogs.count(FakeDialogs::Kind::Error), 0);

        // Closing twice (close() after closeEvent) saves once and reports nothing.
        form.close();
        QCOMPARE(closed.count(), 1);
    }

    void closingWhileOpenClosesThePortFirst()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        h.ClickOpenClose();
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs);
        form.SpinEditUnitSelect->setValue(3);
        form.close();
        QVERIFY(!form.ZBComm1.Active());
        QCOMPARE(Panel(form, 1), QStringLiteral("Offline"));
        QVERIFY(h.Dir().Read(QStringLiteral("application.ini")).contains("unit_no=3"));
    }

    void settingsFilesOfOtherEditorsKeepTheUsersValues()
    {
        const QByteArray mine = "[Serieel]\r\nunit_no=9\r\n[Eigen]\r\nSleutel=waarde\r\n";
        // A UTF-8 mark is a mark: the first section is the user's, and the file keeps its mark.
        {
            Created c;
            c.dir.Write(QStringLiteral("application.ini"), "\xEF\xBB\xBF" + mine);
            TFormMain& form = c.create();
            QCOMPARE(form.SpinEditUnitSelect->value(), 9);
            form.SpinEditUnitSelect->setValue(12);
            form.close();
            const QByteArray saved = c.dir.Read(QStringLiteral("application.ini"));
            QVERIFY2(saved.startsWith("\xEF\xBB\xBF[Serieel]"), saved.constData());
            QCOMPARE(saved.count("[Serieel]"), 1);
            QVERIFY2(saved.contains("unit_no=12") && saved.contains("Sleutel=waarde"), saved.constData());
            QCOMPARE(c.dialogs.count(FakeDialogs::Kind::Error), 0);
        }
        // UTF-16 (written by a Windows editor) and a read-only file are read, said once to be kept
        // no more, and left byte for byte as they were.
        QByteArray utf16("\xFF\xFE", 2);
        for (const char ch : mine)
            utf16.append(ch).append('\0');
        for (const bool readOnly : {false, true}) {
            Created c;
            const QByteArray bytes = readOnly ? mine : utf16;
            c.dir.Write(QStringLiteral("application.ini"), bytes);
            const QString path = c.dir.Path() + QStringLiteral("application.ini");
            if (readOnly)
                QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
            TFormMain& form = c.create();
            QCOMPARE(form.SpinEditUnitSelect->value(), 9);
            QCOMPARE(c.dialogs.count(FakeDialogs::Kind::Error), 1);
            form.SpinEditUnitSelect->setValue(12);
            form.close();
            QCOMPARE(c.dir.Read(QStringLiteral("application.ini")), bytes);
            QCOMPARE(c.dialogs.count(FakeDialogs::Kind::Error), 1);
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
    }

    void aFailedSaveIsReported()
    {
        Created c;
        // A directory where the settings file should be: it can be neither read nor replaced.
        QVERIFY(QDir(c.dir.Path()).mkdir(QStringLiteral("application.ini")));
        TFormMain& form = c.create();
        form.close();
        QCOMPARE(c.dialogs.count(FakeDialogs::Kind::Error), 1);
    }

    void readEverythingTakesTheValuesOnlyOnOk()
    {
        Created c;
        TFormMain& form = c.create();
        ParameterValues[5] = 55;
        ParameterSource = TParameterSource::File;

        form.Windows.ReadEverything = [] { return std::optional<TFormMain::ReadEverythingResult>(); };
        form.KM40ontvangen1->setEnabled(true);
        form.KM40ontvangen1->trigger();
        QCOMPARE(ParameterValues[5], 55);
        QCOMPARE(ParameterSource, TParameterSource::File);
        QCOMPARE(SetpointSource, TSetpointSource::None);

        form.Windows.ReadEverything = [] {
            TFormMain::ReadEverythingResult result;
            result.parameters[5] = 1;
            result.parameters[200] = 1; // K0 becomes Hold/Reset
            result.setpoints[48] = 4800;
            return std::optional<TFormMain::ReadEverythingResult>(result);
        };
        form.KM40ontvangen1->trigger();
        QCOMPARE(ParameterValues[5], 1);
        QCOMPARE(SetpointValues[48], 4800);
        QCOMPARE(ParameterSource, TParameterSource::Device);
        QCOMPARE(SetpointSource, TSetpointSource::Device);
    }

    void theLiveGraphRunsWithTheTimerOff()
    {
        Created c;
        TFormMain& form = c.create();
        bool timerWasActive = true;
        form.Windows.LiveGraph = [&] { timerWasActive = form.Timer1->isActive(); };
        form.Grafiek1->trigger();
        QVERIFY(!timerWasActive);
        QVERIFY(form.Timer1->isActive());
    }
};

KMT40_GUI_TEST_MAIN(MainWindowCreateTest)
#include "MainWindowCreateTest.moc"
