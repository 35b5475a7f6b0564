// The main window as assistive technology reads it: a walk through Qt's accessibility tree (what
// the desktop bridge hands on to a screen reader) finds every value field with a name of its own.
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
};

KMT40_GUI_TEST_MAIN(MainWindowAccessibilityTest)
#include "MainWindowAccessibilityTest.moc"
