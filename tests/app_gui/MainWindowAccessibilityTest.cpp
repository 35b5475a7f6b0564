// The main window as assistive technology reads it: a walk through Qt's accessibility tree (what
// the desktop bridge hands on to a screen reader) finds every value field with a name of its own
// and what it shows now.
#include "AccessibleReading.h"
#include "GuiTestMain.h"
#include "MainWindowHarness.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>

#include <map>

using namespace gui_test;

namespace {

// Every object in the accessible tree below Root, with the name it is read out with.
void collectNames(QAccessibleInterface* node, std::map<QObject*, QString>& names, int depth = 0)
{
    QVERIFY(depth < 64);
    if (node->object())
        names[node->object()] = node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            collectNames(child, names, depth + 1);
}

} // namespace

class MainWindowAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyValueFieldHasANameOfItsOwnInEachLanguage()
    {
        for (int language : {0, 1, 2}) {
            TempProgramDir dir({QStringLiteral("Taal0.ini"), QStringLiteral("Taal1.ini"), QStringLiteral("Taal2.ini")});
            dir.Write(QStringLiteral("application.ini"), "[Opties]\r\nTaal=" + QByteArray::number(language) + "\r\n");
            Global_var.Reset();
            TFormMain form(dir.Path());
            form.show();
            QVERIFY(LanguageLoaded);

            std::map<QObject*, QString> names;
            collectNames(QAccessible::queryAccessibleInterface(&form), names);

            QList<QWidget*> fields = {form.PanelActPos,     form.PanelSnelheid,    form.PanelSpanning,
                                      form.PanelStroom,     form.PanelActPosLin,   form.PanelData_IO_in,
                                      form.PanelData_IO_uit, form.PanelErrorNo,    form.PanelComInfo,
                                      form.EditZenden,      form.MemoReceive};
            for (QLabel* panel : form.Panel_DW)
                fields << panel;
            for (QLabel* panel : form.StatusPanels)
                fields << panel;

            const QSet<QString> groupTitles = {form.GroepActual->title(), form.GroepDuimwiel->title(),
                                               form.GroepData_IO->title(), form.GroepTerminal->title()};
            QSet<QString> seen;
            for (QWidget* field : fields) {
                const QString what = field->objectName() + QStringLiteral(" in language ") + QString::number(language);
                QVERIFY2(names.count(field), qPrintable(what + QStringLiteral(" is not in the accessible tree")));
                const QString name = names[field];
                QVERIFY2(!name.isEmpty(), qPrintable(what + QStringLiteral(" has no name")));
                QVERIFY2(!groupTitles.contains(name), qPrintable(what + QStringLiteral(" is named after its group")));
                QVERIFY2(!seen.contains(name), qPrintable(what + QStringLiteral(" shares its name ") + name));
                seen << name;
            }
            // The label beside a field is its name, in the window's language.
            QCOMPARE(names[form.PanelSnelheid], form.LabelActualSnelheid->text().remove(QLatin1Char(':')).trimmed());
            // A value does not replace the name.
            form.PanelActPos->setText(QStringLiteral("12,50"));
            QCOMPARE(QAccessible::queryAccessibleInterface(form.PanelActPos)->text(QAccessible::Name),
                     names[form.PanelActPos]);
            ClearPortDevicePaths();
        }
        Global_var.Reset();
    }

    void everyValueFieldReadsItsNameAndWhatItShowsAfterOpenAndAfterAPoll()
    {
        MainWindowHarness h;
        TFormMain& form = h.CreateForm();
        form.show();
        auto reads = [&](QWidget* field, const QString& name, const QString& value) {
            const AccessibleReading reading = ReadAccessible(&form, field);
            QCOMPARE(reading.name, name);
            QCOMPARE(reading.value, value);
            QCOMPARE(reading.text, value);
        };
        reads(form.StatusPanels[0], QStringLiteral("Poort"), QString());
        reads(form.StatusPanels[1], QStringLiteral("Lijninstellingen"), QStringLiteral("Offline"));
        // A caption still reads its own text as its name, and has no value.
        QCOMPARE(ReadAccessible(&form, form.LabelActualPositie).name, QStringLiteral("Positie:"));
        QCOMPARE(ReadAccessible(&form, form.LabelActualPositie).value, QString());

        h.ClickOpenClose();
        QTRY_VERIFY_WITH_TIMEOUT(!Panel(form, 4).isEmpty(), kWaitMs);
        reads(form.StatusPanels[0], QStringLiteral("Poort"), QStringLiteral("COM 1"));
        reads(form.StatusPanels[1], QStringLiteral("Lijninstellingen"), QStringLiteral("9600,E,8,1"));
        reads(form.StatusPanels[2], QStringLiteral("Apparaattype"), QStringLiteral("KM40 V2.31"));

        ParameterValues[203] = 2;
        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.PanelActPos->text().isEmpty(), kWaitMs);
        const AccessibleReading position = ReadAccessible(&form, form.PanelActPos);
        QCOMPARE(position.name, QStringLiteral("Positie"));
        bool number = false;
        QString(position.value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&number);
        QVERIFY2(number, qPrintable(position.value));
        QCOMPARE(position.value, form.PanelActPos->text());
        QCOMPARE(position.text, position.value);
        QTest::mouseClick(form.CmdActual, Qt::LeftButton);
    }
};

KMT40_GUI_TEST_MAIN(MainWindowAccessibilityTest)
#include "MainWindowAccessibilityTest.moc"
