#include "app/About.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/core/Global_var.h"
#include "params/Latin1Text.h"

TFormAbout* FormAbout = nullptr;

namespace {

constexpr char Section[] = "About";
constexpr char DesignVersionCaption[] = "Software versie:";

QFrame* Separator(QWidget* Parent)
{
    auto* line = new QFrame(Parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QPixmap KmtLogo(int Size)
{
    // A cam disc on its shaft: the controllers switch outputs by cams on a turning position.
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(Size / 64.0, Size / 64.0);
    painter.setPen(QPen(QColor(20, 50, 110), 2));
    painter.setBrush(QColor(40, 110, 200));
    QPainterPath cam;
    cam.moveTo(32, 6);
    cam.cubicTo(52, 6, 58, 26, 56, 36);
    cam.cubicTo(54, 50, 44, 58, 32, 58);
    cam.cubicTo(16, 58, 8, 46, 8, 34);
    cam.cubicTo(8, 20, 16, 6, 32, 6);
    painter.drawPath(cam);
    painter.setBrush(QColor(255, 255, 151));
    painter.drawEllipse(QPointF(32, 34), 7, 7);
    painter.setPen(QPen(QColor(255, 255, 151), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(32, 11), QPointF(32, 20));
    return pixmap;
}

TFormAbout::TFormAbout(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormAbout"));
    setModal(true);
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(353, 354);
    setMouseTracking(true);
    if (!FormAbout)
        FormAbout = this;

    LabelTitle = new QLabel(QString::fromLatin1(ApplicationTitle), this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setAlignment(Qt::AlignCenter);
    QFont title = LabelTitle->font();
    title.setPointSize(title.pointSize() + 3);
    title.setBold(true);
    LabelTitle->setFont(title);

    ImageLogo = new QLabel(this);
    ImageLogo->setObjectName(QStringLiteral("ImageLogo"));
    ImageLogo->setPixmap(KmtLogo(96));
    ImageLogo->setAlignment(Qt::AlignCenter);
    ImageLogo->setAccessibleName(QStringLiteral("KMT40"));

    LabelWWWLink = new QLabel(ProjectWebAddress.host(), this);
    LabelWWWLink->setObjectName(QStringLiteral("LabelWWWLink"));
    LabelWWWLink->setAlignment(Qt::AlignCenter);
    LabelWWWLink->setCursor(Qt::PointingHandCursor);
    LabelWWWLink->setMouseTracking(true);
    LabelWWWLink->setToolTip(ProjectWebAddress.toString());
    LabelWWWLink->setAccessibleName(ProjectWebAddress.toString());
    LabelWWWLink->installEventFilter(this);

    versionCaption_ = QString::fromLatin1(DesignVersionCaption);
    LabelSoftwareVersie = new QLabel(versionCaption_, this);
    LabelSoftwareVersie->setObjectName(QStringLiteral("LabelSoftwareVersie"));
    LabelSoftwareVersie->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelTitle);
    layout->addWidget(Separator(this));
    layout->addWidget(ImageLogo, 1);
    layout->addWidget(Separator(this));
    layout->addWidget(LabelWWWLink);
    layout->addWidget(Separator(this));
    layout->addWidget(LabelSoftwareVersie);
}

TFormAbout::~TFormAbout()
{
    if (FormAbout == this)
        FormAbout = nullptr;
}

void TFormAbout::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormAbout::FormActivate()
{
    if (LanguageLoaded) {
        setWindowTitle(Latin1(LanguageFile.ReadString(Section, "Caption", "Info")));
        versionCaption_ = Latin1(LanguageFile.ReadString(Section, "SoftwareVersie", DesignVersionCaption));
    }
    // Built from its parts each time, so the version stands there once however often the
    // window is opened.
    LabelSoftwareVersie->setText(versionCaption_ + QLatin1Char(' ') + QString::fromLatin1(ProgramVersion));
    LabelSoftwareVersie->setAccessibleName(LabelSoftwareVersie->text());
}

bool TFormAbout::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == LabelWWWLink) {
        if (Event->type() == QEvent::Enter || Event->type() == QEvent::MouseMove) {
            QPalette palette = LabelWWWLink->palette();
            palette.setColor(QPalette::WindowText, Qt::blue);
            LabelWWWLink->setPalette(palette);
        } else if (Event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) {
            LabelWWWLinkClick();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TFormAbout::mouseMoveEvent(QMouseEvent* Event)
{
    // Over the background the pointer is the arrow again; the address stays blue.
    setCursor(Qt::ArrowCursor);
    QDialog::mouseMoveEvent(Event);
}

void TFormAbout::LabelWWWLinkClick()
{
    QDesktopServices::openUrl(ProjectWebAddress);
}
