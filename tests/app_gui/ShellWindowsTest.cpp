// The options, about and error-help windows through their controls, with the shipped data files:
// a language switch that every window follows, the version shown once, the address opened by the
// desktop, and the help pages of each language.

#include "FakeDialogs.h"
#include "ModalWindows.h"
#include "TempProgramDir.h"
#include "app/About.h"
#include "app/InfoErrorNummers.h"
#include "app/KM40Main.h"
#include "app/Opties.h"
#include "app/ShellWindows.h"
#include "app/core/Global_var.h"
#include "comm/qt/QtUiDispatcher.h"
#include "params/EditParam.h"
#include "params/EditorWindows.h"
#include "params/MainParamCommands.h"
#include "params/core/ParameterCatalogue.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include <memory>

namespace {

const QStringList kAllData{QStringLiteral("Taal0.ini"),      QStringLiteral("Taal1.ini"),
                           QStringLiteral("Taal2.ini"),      QStringLiteral("Parameters.txt"),
                           QStringLiteral("ParNo.txt"),      QStringLiteral("Tree0.txt"),
                           QStringLiteral("Tree1.txt"),      QStringLiteral("Tree2.txt"),
                           QStringLiteral("ErrorHelp0.rtf"), QStringLiteral("ErrorHelp1.rtf"),
                           QStringLiteral("ErrorHelp2.rtf")};

class Fixture {
public:
    explicit Fixture(const QStringList& Data = kAllData, int Language = 1)
        : dir(Data), installed(dialogs)
    {
        Global_var.Reset();
        dir.Write(QStringLiteral("application.ini"), "[Opties]\r\nTaal=" + QByteArray::number(Language) + "\r\n");
        main = std::make_unique<TFormMain>(dir.Path());
        InstallTransferCommands(*main);
        InstallEditorWindows(*main);
        InstallShellWindows(*main);
    }
    ~Fixture()
    {
        main.reset();
        Global_var.Reset();
    }

    TempProgramDir dir;
    FakeDialogs dialogs;
    FakeDialogs::Installed installed;
    std::unique_ptr<TFormMain> main;
};

QString HelpText()
{
    return FormInfoErrorNummers->RichEdit1->toPlainText();
}

} // namespace

// Stands in for the desktop's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& Url) { opened << Url; }
};

class ShellWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void optionsSwitchTheLanguageOfEveryWindow()
    {
        Fixture f;
        TFormOpties& options = *FormOpties;
        options.show();
        QCOMPARE(options.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(options.ComboTaal->count(), 3);
        QCOMPARE(options.ComboTaal->itemText(2), QStringLiteral("Deutsch"));
        QCOMPARE(options.ComboTaal->currentIndex(), 1);
        QCOMPARE(options.ComboTaal->accessibleName(), QStringLiteral("Language"));

        // OK without a change: the texts are applied again and the catalogue is read again, but
        // the language file is not.
        f.dir.Write(QStringLiteral("Taal1.ini"), "[Main]\r\nmenuEdit=CHANGED ON DISK\r\n");
        QByteArray catalogue = f.dir.Read(QStringLiteral("Parameters.txt"));
        catalogue.replace("naam1=Unit number", "naam1=Unit number (new)");
        f.dir.Write(QStringLiteral("Parameters.txt"), catalogue);
        f.main->Edit->menuAction()->setText(QStringLiteral("scribbled"));
        QTest::mouseClick(options.CmdOK, Qt::LeftButton);
        QVERIFY(!options.isVisible());
        QCOMPARE(f.main->Edit->title(), QStringLiteral("&Edit"));
        QCOMPARE(ParameterCatalogue.Name(0, 1), std::string("Unit number (new)"));

        // German: the main window and the parameter editor's names follow at once.
        options.show();
        options.ComboTaal->setCurrentIndex(2);
        QTest::mouseClick(options.CmdOK, Qt::LeftButton);
        QCOMPARE(LanguageIndex, 2);
        QCOMPARE(f.main->Edit->title(), QStringLiteral("&Bearbeiten"));
        TFormEditParam& editor = *FormEditParam;
        editor.show();
        editor.TreeView1->setCurrentItem(editor.TreeNode(1, 0));
        QCOMPARE(editor.Cell(2, 1), QString::fromUtf8("Ger\xC3\xA4tenummer"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("Parameter bearbeiten"));
        editor.hide();

        // Cancel changes nothing.
        options.show();
        options.ComboTaal->setCurrentIndex(0);
        QTest::mouseClick(options.CmdCancel, Qt::LeftButton);
        QCOMPARE(LanguageIndex, 2);

        // A language file without a list of languages: the entries are the language numbers.
        LanguageFile.LoadFromText("[Opties]\r\nCaption=Options\r\n");
        options.show();
        QCOMPARE(options.ComboTaal->count(), 3);
        QCOMPARE(options.ComboTaal->itemText(0), QStringLiteral("0"));
        QCOMPARE(options.ComboTaal->itemText(2), QStringLiteral("2"));
        QCOMPARE(options.ComboTaal->currentIndex(), 2);
        QTest::mouseClick(options.CmdCancel, Qt::LeftButton);
    }

    void aboutShowsTheVersionOnceAndOpensTheAddress()
    {
        Fixture f({QStringLiteral("Parameters.txt")}); // no language file
        TFormAbout& about = *FormAbout;
        for (int i = 0; i < 3; ++i) {
            about.show();
            about.hide();
        }
        QCOMPARE(about.LabelSoftwareVersie->text(), QStringLiteral("Software versie: 6.02"));
        QCOMPARE(about.LabelTitle->text(), QStringLiteral("Kelmor Software Tool (KMT40)"));

        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        about.show();
        QTest::mouseMove(about.LabelWWWLink);
        QTRY_COMPARE(about.LabelWWWLink->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QTest::mouseClick(about.LabelWWWLink, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.opened.size(), 1);
        QCOMPARE(browser.opened.front(), ProjectWebAddress);
        about.hide();
    }

    void errorHelpShowsThePageOfTheLanguage()
    {
        Fixture f(kAllData, 2);
        TFormInfoErrorNummers& help = *FormInfoErrorNummers;
        f.main->Errno1->trigger();
        QVERIFY(help.isVisible());
        QCOMPARE(help.windowTitle(), QStringLiteral("Fehlernummern"));
        QVERIFY(HelpText().startsWith(QStringLiteral("KM40/KM41 Fehlernummern")));
        QVERIFY(HelpText().contains(QString::fromUtf8("St\xC3\xB6rung"))); // from \'f6
        const QTextBlock heading = help.RichEdit1->document()->firstBlock();
        QCOMPARE(heading.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
        QCOMPARE(help.RichEdit1->palette().color(QPalette::Base), QColor(255, 255, 151));

        LanguageIndex = 0;
        help.FormActivate();
        QVERIFY(HelpText().startsWith(QStringLiteral("KM40/KM41 foutnummers")));

        // No page for the language: the view keeps what it showed, without a message.
        f.dir.Remove(QStringLiteral("ErrorHelp1.rtf"));
        LanguageIndex = 1;
        help.FormActivate();
        QVERIFY(HelpText().startsWith(QStringLiteral("KM40/KM41 foutnummers")));
        QVERIFY(f.dialogs.asked.empty());

        // A damaged page: one message however often the window becomes active.
        f.dir.Write(QStringLiteral("ErrorHelp1.rtf"), QByteArray("\x00\x01garbage", 9));
        help.FormActivate();
        help.FormActivate();
        QCOMPARE(f.dialogs.count(FakeDialogs::Kind::Error), 1);
        QVERIFY(f.dialogs.asked.back().text.startsWith(QStringLiteral("ERtfFormatError error raised, with message : ")));
        QVERIFY(HelpText().startsWith(QStringLiteral("KM40/KM41 foutnummers")));
        help.close();
    }

    void errorHelpOpenedFromTheModalParameterEditorTakesInput()
    {
        Fixture f;
        TFormInfoErrorNummers& help = *FormInfoErrorNummers;
        bool active = false;
        int scrolledTo = -1;
        bool closedBesideTheEditor = false;
        auto fromEditor = modal_windows::When(
            QStringLiteral("FormEditParam"), [](QWidget*) { return true; },
            [&](QWidget* editor) {
                FormEditParam->subErrorNummers->trigger();
                active = QTest::qWaitForWindowActive(&help) &&
                         QTest::qWaitFor([&help] { return help.RichEdit1->hasFocus(); });
                help.RichEdit1->verticalScrollBar()->setValue(0);
                QTest::keyClick(help.windowHandle(), Qt::Key_PageDown);
                scrolledTo = help.RichEdit1->verticalScrollBar()->value();
                QTest::keyClick(help.windowHandle(), Qt::Key_Escape);
                closedBesideTheEditor = !help.isVisible() && editor->isVisible();
                editor->close();
            },
            120000);
        f.main->Par11->trigger();
        QVERIFY(fromEditor->acted && !fromEditor->expired);
        QVERIFY(active);
        QVERIFY2(scrolledTo > 0, "the help window took no key while the editor was open");
        QVERIFY(closedBesideTheEditor);
        QVERIFY(HelpText().startsWith(QStringLiteral("KM40/KM41 error numbers")));

        // From the main window it is the main window's again.
        f.main->Errno1->trigger();
        QVERIFY(help.isVisible());
        QCOMPARE(help.parentWidget(), f.main.get());
        help.close();
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QtUiDispatcher dispatcher;
    UiDispatcher::SetDefault(&dispatcher);
    ShellWindowsTest test;
    const int result = QTest::qExec(&test, argc, argv);
    UiDispatcher::SetDefault(nullptr);
    return result;
}

#include "ShellWindowsTest.moc"
