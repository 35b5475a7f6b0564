#include "views/DisplayNokken.h"

#include "app/core/Global_var.h"
#include "params/Latin1Text.h"
#include "params/core/ParameterCatalogue.h"
#include "views/core/CamLayout.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

TFormDisplayNokken* FormDisplayNokken = nullptr;

namespace {

constexpr char Section[] = "DisplayNokken";

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

QColor FunctionColor(int function)
{
    switch (function) {
    case 1: return {255, 0, 0};
    case 2: return {0, 255, 0};
    case 3: return {255, 255, 0};
    default: return {};
    }
}

// The grid paints every cell through the window's StringGrid1DrawCell.
class CamCellDelegate : public QStyledItemDelegate {
public:
    CamCellDelegate(TFormDisplayNokken* Form, QObject* Parent) : QStyledItemDelegate(Parent), form_(Form) {}
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        // The grid's own selection and focus marks stay off: the fill colour is the content. The
        // fixed cells draw their text themselves: the standard padding leaves no room for "24".
        if (Index.row() > 0 && Index.column() > 0) {
            QStyleOptionViewItem plain(Option);
            plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
            QStyledItemDelegate::paint(Painter, plain, Index);
        }
        form_->StringGrid1DrawCell(*Painter, Index.column(), Index.row(), Option.rect);
    }

private:
    TFormDisplayNokken* form_;
};

QLabel* MakePanel(QWidget* Parent, const QString& Name, Qt::Alignment Alignment)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Alignment | Qt::AlignVCenter);
    panel->setMinimumWidth(110);
    panel->setMargin(2);
    return panel;
}

QLabel* MakeLabel(QWidget* Parent, const QString& Name, const QString& Text, QLabel* Buddy)
{
    auto* label = new QLabel(Text, Parent);
    label->setObjectName(Name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(Buddy); // names the panel for assistive tools
    return label;
}

} // namespace

TFormDisplayNokken::TFormDisplayNokken(QWidget* Parent) : TModalView(Parent)
{
    setObjectName(QStringLiteral("FormDisplayNokken"));
    setModal(true);
    setWindowTitle(QStringLiteral("Display nokken"));
    if (!FormDisplayNokken)
        FormDisplayNokken = this;

    StringGrid1 = new QTableWidget(1 + views::CamOutputCount, 1 + views::CamCount, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Nokken"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setItemDelegate(new CamCellDelegate(this, StringGrid1));
    // The headers are hidden, but their minimum section sizes still hold the cells apart.
    StringGrid1->horizontalHeader()->setMinimumSectionSize(ColumnWidth);
    StringGrid1->verticalHeader()->setMinimumSectionSize(RowHeight);
    StringGrid1->setColumnWidth(0, FixedColumnWidth);
    for (int c = 1; c <= views::CamCount; ++c)
        StringGrid1->setColumnWidth(c, ColumnWidth);
    for (int r = 0; r <= views::CamOutputCount; ++r)
        StringGrid1->setRowHeight(r, RowHeight);
    for (int r = 0; r <= views::CamOutputCount; ++r)
        for (int c = 0; c <= views::CamCount; ++c) {
            auto* item = new QTableWidgetItem;
            // Row 0 and column 0 are headers: not selectable.
            if (r == 0 || c == 0)
                item->setFlags(Qt::ItemIsEnabled);
            StringGrid1->setItem(r, c, item);
        }
    StringGrid1->setFixedSize(FixedColumnWidth + views::CamCount * ColumnWidth + 2 * StringGrid1->frameWidth(),
                              (1 + views::CamOutputCount) * RowHeight + 2 * StringGrid1->frameWidth());
    StringGrid1->setCurrentCell(1, 1);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int Row, int Column, int, int) { StringGrid1SelectCell(Column, Row); });

    PanelNokNummer = MakePanel(this, QStringLiteral("PanelNokNummer"), Qt::AlignRight);
    QFont big = PanelNokNummer->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    PanelNokNummer->setFont(big);
    PanelNokNummer->setMinimumWidth(60);
    PanelFunctie = MakePanel(this, QStringLiteral("PanelFunctie"), Qt::AlignRight);
    PanelBron = MakePanel(this, QStringLiteral("PanelBron"), Qt::AlignRight);
    PanelAanvang = MakePanel(this, QStringLiteral("PanelAanvang"), Qt::AlignRight);
    PanelSelectAanvang = MakePanel(this, QStringLiteral("PanelSelectAanvang"), Qt::AlignLeft);
    PanelEinde = MakePanel(this, QStringLiteral("PanelEinde"), Qt::AlignRight);
    PanelSelectEinde = MakePanel(this, QStringLiteral("PanelSelectEinde"), Qt::AlignLeft);
    PanelHysteresis = MakePanel(this, QStringLiteral("PanelHysteresis"), Qt::AlignRight);
    PanelVervroeging = MakePanel(this, QStringLiteral("PanelVervroeging"), Qt::AlignRight);
    LabelNokNummer = MakeLabel(this, QStringLiteral("LabelNokNummer"), QStringLiteral("Nok"), PanelNokNummer);
    LabelFunctie = MakeLabel(this, QStringLiteral("LabelFunctie"), QStringLiteral("Functie"), PanelFunctie);
    LabelBron = MakeLabel(this, QStringLiteral("LabelBron"), QStringLiteral("Bron"), PanelBron);
    LabelAanvang = MakeLabel(this, QStringLiteral("LabelAanvang"), QStringLiteral("Aanvang"), PanelAanvang);
    LabelEinde = MakeLabel(this, QStringLiteral("LabelEinde"), QStringLiteral("Einde"), PanelEinde);
    LabelHysteresis = MakeLabel(this, QStringLiteral("LabelHysteresis"), QStringLiteral("Hysteresis"), PanelHysteresis);
    LabelVervroeging =
        MakeLabel(this, QStringLiteral("LabelVervroeging"), QStringLiteral("Vervroeging"), PanelVervroeging);
    PanelSelectAanvang->setAccessibleName(QStringLiteral("Select aanvang"));
    PanelSelectEinde->setAccessibleName(QStringLiteral("Select einde"));

    auto* details = new QGridLayout;
    details->setHorizontalSpacing(8);
    details->setVerticalSpacing(4);
    details->addWidget(LabelNokNummer, 0, 0);
    details->addWidget(PanelNokNummer, 0, 1, Qt::AlignLeft);
    const std::array<std::array<QLabel*, 3>, 6> rows{{{LabelFunctie, PanelFunctie, nullptr},
                                                      {LabelBron, PanelBron, nullptr},
                                                      {LabelAanvang, PanelAanvang, PanelSelectAanvang},
                                                      {LabelEinde, PanelEinde, PanelSelectEinde},
                                                      {LabelHysteresis, PanelHysteresis, nullptr},
                                                      {LabelVervroeging, PanelVervroeging, nullptr}}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        details->addWidget(rows[i][0], r, 0);
        details->addWidget(rows[i][1], r, 1);
        if (rows[i][2])
            details->addWidget(rows[i][2], r, 2);
    }
    details->setColumnStretch(2, 1);

    auto* root = new QVBoxLayout(this);
    root->addWidget(StringGrid1);
    root->addLayout(details);
    root->setSizeConstraint(QLayout::SetFixedSize);
}

TFormDisplayNokken::~TFormDisplayNokken()
{
    if (FormDisplayNokken == this)
        FormDisplayNokken = nullptr;
}

void TFormDisplayNokken::ApplyTexts()
{
    setWindowTitle(Text("Caption", "Display nokken"));
    LabelNokNummer->setText(Text("LabelNokNo", "Nok"));
    LabelFunctie->setText(Text("LabelFuncte", "Functie"));
    LabelBron->setText(Text("LabelBron", "Bron"));
    LabelAanvang->setText(Text("LabelAanvang", "Aanvang"));
    LabelEinde->setText(Text("LabelEinde", "Einde"));
    LabelHysteresis->setText(Text("LAbelHysteresis", "Hysteresis"));
    LabelVervroeging->setText(Text("LabelVervroeging", "Vervroeging"));
}

void TFormDisplayNokken::FormActivate()
{
    QString prefix;
    if (LanguageLoaded) {
        ApplyTexts();
        prefix = Text("RijTekst", "Uitg") + QLatin1Char('-');
    }
    for (int m = 1; m <= views::CamOutputCount; ++m)
        StringGrid1->item(m, 0)->setText(prefix + QString::number(m));
    for (int c = 1; c <= views::CamCount; ++c) {
        StringGrid1->item(0, c)->setText(QString::number(c));
        StringGrid1->item(0, c)->setTextAlignment(Qt::AlignCenter);
    }
    StringGrid1->viewport()->update();
    UpdateOnSelectedCell(StringGrid1->currentColumn(), StringGrid1->currentRow());
}

void TFormDisplayNokken::StringGrid1SelectCell(int Column, int Row)
{
    UpdateOnSelectedCell(Column, Row);
}

void TFormDisplayNokken::StringGrid1DrawCell(QPainter& Painter, int Column, int Row, const QRect& Rect)
{
    if (Column == 0) {
        Painter.fillRect(Rect, palette().color(QPalette::Button));
        Painter.setPen(StringGrid1->palette().color(QPalette::Text));
        Painter.drawText(Rect.adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop,
                         StringGrid1->item(Row, Column)->text());
        return;
    }
    if (Row < 1) {
        Painter.fillRect(Rect, palette().color(QPalette::Button));
        Painter.setPen(StringGrid1->palette().color(QPalette::Text));
        Painter.drawText(Rect, Qt::AlignCenter, StringGrid1->item(Row, Column)->text());
        return;
    }
    const int function = views::CamFillFunction(ParameterValues, Column, Row);
    if (function != 0)
        Painter.fillRect(Rect, FunctionColor(function));
}

void TFormDisplayNokken::UpdateOnSelectedCell(int Column, int Row)
{
    const views::CamDetails details =
        views::CamDetailsAt(ParameterValues, SetpointValues, ThumbwheelValues, Column, Row,
                            [](int p) { return CatalogueLoaded ? ResolveOptionList(p) : std::vector<std::string>{}; });
    if (!details.shown) {
        for (QLabel* panel : {PanelNokNummer, PanelFunctie, PanelBron, PanelAanvang, PanelSelectAanvang, PanelEinde,
                              PanelSelectEinde, PanelHysteresis, PanelVervroeging})
            panel->clear();
        return;
    }
    auto setOption = [](QLabel* panel, const std::optional<std::string>& text) {
        if (text)
            panel->setText(Latin1(*text));
    };
    PanelNokNummer->setText(Latin1(details.number));
    setOption(PanelFunctie, details.function);
    setOption(PanelBron, details.source);
    PanelAanvang->setText(Latin1(details.start));
    setOption(PanelSelectAanvang, details.startSelect);
    PanelEinde->setText(Latin1(details.end));
    setOption(PanelSelectEinde, details.endSelect);
    PanelHysteresis->setText(Latin1(details.hysteresis));
    PanelVervroeging->setText(Latin1(details.advance));
}
