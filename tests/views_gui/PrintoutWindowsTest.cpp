// The printout windows through their controls, with the shipped data: fields from and into the
// settings, the print dialog cancelled, Save as PDF (also to a place that cannot be written), and
// what the pages hold, recorded on a canvas.

#include "FakeDialogs.h"
#include "GuiTestMain.h"
#include "RecordingCanvas.h"
#include "TempProgramDir.h"
#include "app/core/Global_var.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"
#include "views/AfdrukkenPar.h"
#include "views/AfdrukkenSoll.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class Fixture {
public:
    explicit Fixture(bool Language = true)
        : dir({QStringLiteral("Taal1.ini"), QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt"),
               QStringLiteral("Tree1.txt")})
        , installed(dialogs)
    {
        Global_var.Reset();
        ProgramDir = dir.Path().toStdString();
        LanguageIndex = 1;
        if (Language)
            TekstFile_Lezen();
        ParameterDef_lezen();
        ParamNo_lezen();
    }
    ~Fixture()
    {
        ParameterCatalogue.Clear();
        CatalogueLoaded = false;
        ParameterMenuMap.Clear();
        MenuMapLoaded = false;
        Global_var.Reset();
    }

    TempProgramDir dir;
    FakeDialogs dialogs;
    FakeDialogs::Installed installed;
};

std::vector<std::string> Texts(const TRecordingCanvas& Canvas)
{
    std::vector<std::string> texts;
    for (const TRecordedText& t : Canvas.texts)
        texts.push_back(t.Text);
    return texts;
}

bool Contains(const std::vector<std::string>& Texts, const std::string& Text)
{
    return std::find(Texts.begin(), Texts.end(), Text) != Texts.end();
}

} // namespace

class PrintoutWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void fieldsSettingsPdfAndThePages()
    {
        Fixture f;
        ProgramSettings.Firma = "ACME";
        ProgramSettings.Type = "Press 4";
        TFormAfdrukkenPar window;
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Print parameters"));
        QCOMPARE(window.LabelSn->text(), QStringLiteral("Serial number:"));
        QCOMPARE(window.EditFirma->text(), QStringLiteral("ACME"));
        QCOMPARE(window.EditSn->text(), QString());

        // The serial number typed before saving is stored and printed in the header.
        QTest::keyClicks(window.EditSn, QStringLiteral("SN 99"));
        f.dialogs.saveFileAnswers.push_back(f.dir.File(QStringLiteral("list")));
        QTest::mouseClick(window.CmdPdf, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(ProgramSettings.Sn, std::string("SN 99"));
        QVERIFY(f.dir.Read(QStringLiteral("list.pdf")).startsWith("%PDF"));

        TRecordingCanvas canvas;
        window.Print(canvas);
        const std::vector<std::string> texts = Texts(canvas);
        QVERIFY(Contains(texts, "SN 99"));
        QVERIFY(Contains(texts, "Serial number:"));
        QVERIFY(Contains(texts, "Page   1"));
        QVERIFY(Contains(texts, "KM40 parameters"));
        QVERIFY(Contains(texts, "General"));
        QVERIFY(Contains(texts, "Cams > Cam 24"));
        QVERIFY(canvas.page > 1);

        // A PDF that cannot be written: one clear message, the window stays, nothing else changes.
        window.show();
        f.dir.Write(QStringLiteral("file"), "x");
        f.dialogs.saveFileAnswers.push_back(f.dir.File(QStringLiteral("file/list.pdf")));
        QTest::mouseClick(window.CmdPdf, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QCOMPARE(f.dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY(f.dialogs.asked.back().text.contains(QStringLiteral("list.pdf")));

        // The print dialog cancelled: the window closes, the fields are kept in the settings.
        window.EditType->setText(QStringLiteral("Press 5"));
        f.dialogs.printAnswers.push_back(false);
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(ProgramSettings.Type, std::string("Press 5"));
        QCOMPARE(f.dialogs.count(FakeDialogs::Kind::Print), 1);
    }

    void setpointsAndNoLanguageFile()
    {
        Fixture f(false);
        ProgramSettings.Firma = "ACME";
        ProgramSettings.Type = "Press 4";
        ProgramSettings.Sn = "kept";
        SetpointValues[7] = -1500;
        TFormAfdrukkenSoll window;
        window.show();
        // Without texts the fields still start from the settings, so OK (here with the print
        // dialog cancelled) stores back what was there, not empty texts.
        QCOMPARE(window.EditFirma->text(), QStringLiteral("ACME"));
        QCOMPARE(window.EditType->text(), QStringLiteral("Press 4"));
        QCOMPARE(window.EditSn->text(), QStringLiteral("kept"));
        QTest::mouseClick(window.CmdOK, Qt::LeftButton);
        QCOMPARE(f.dialogs.count(FakeDialogs::Kind::Print), 1);
        QVERIFY(!window.isVisible());
        QCOMPARE(ProgramSettings.Firma, std::string("ACME"));
        QCOMPARE(ProgramSettings.Type, std::string("Press 4"));
        QCOMPARE(ProgramSettings.Sn, std::string("kept"));
        window.show();
        TRecordingCanvas canvas;
        window.Print(canvas);
        const std::vector<std::string> texts = Texts(canvas);
        QVERIFY(Contains(texts, "   1")); // an empty page word: a blank and "%3d"
        QVERIFY(Contains(texts, "7" + std::string(15, ' ') + "-1500"));
        QVERIFY(Contains(texts, std::string(21, ' '))); // the column header: blanks only
        QCOMPARE(canvas.page, 1);
        window.reject();
    }
};

KMT40_GUI_TEST_MAIN(PrintoutWindowsTest)
#include "PrintoutWindowsTest.moc"
