#pragma once
// TFormAbout: the program's title, logo, version and web address. A click on the address opens
// it in the desktop's browser.

#include <QDialog>
#include <QUrl>

class QLabel;

// Where the address label leads.
inline const QUrl ProjectWebAddress{QStringLiteral("https://kmt40.example.org/")};

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* Parent = nullptr);
    ~TFormAbout() override;

    void FormActivate();
    void LabelWWWLinkClick();

    QLabel* LabelTitle = nullptr;
    QLabel* ImageLogo = nullptr;
    QLabel* LabelWWWLink = nullptr;
    QLabel* LabelSoftwareVersie = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    // The label's text before the version: the language text, or the design text.
    QString versionCaption_;
};

// The program's logo, drawn at Size pixels square (also the desktop icon).
QPixmap KmtLogo(int Size);

// The program's one About window (null until created).
extern TFormAbout* FormAbout;
