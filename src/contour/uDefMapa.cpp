#include "uDefMapa.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "contour/uCnivel.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace nivora {

namespace {

// The pictures of the three level buttons: a plus, a minus, and a ladder of
// evenly spaced lines for the equidistant levels.
enum class TGlyph { Add, Delete, Equidistant };

QIcon GlyphIcon(TGlyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(glyph == TGlyph::Delete ? QColor(160, 0, 0) : QColor(0, 96, 0), 2));
    switch (glyph) {
    case TGlyph::Add:
        p.drawLine(3, 8, 13, 8);
        p.drawLine(8, 3, 8, 13);
        break;
    case TGlyph::Delete: p.drawLine(3, 8, 13, 8); break;
    case TGlyph::Equidistant:
        p.setPen(QPen(QColor(0, 0, 128), 1));
        for (int y = 2; y <= 14; y += 4)
            p.drawLine(2, y, 14, y);
        p.drawLine(2, 2, 2, 14);
        break;
    }
    return QIcon(pixmap);
}

QPushButton* GlyphButton(QWidget* parent, const char* name, TGlyph glyph, const QString& tip)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setIcon(GlyphIcon(glyph));
    b->setFixedSize(25, 25);
    b->setAutoDefault(false);
    b->setToolTip(tip);
    return b;
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TDefMapa::TDefMapa(TProgramState& state, QWidget* parent) : QDialog(parent), State_(state)
{
    setObjectName("DefMapa");
    setWindowTitle("Exibir Mapa Altimétrico...");
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setFixedSize(450, 322);
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    setFont(f);

    auto* main = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    // The levels: the box, the three buttons and the list.
    GroupBox1 = new QGroupBox("Curvas de Nível", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* g1 = new QGridLayout(GroupBox1);
    Label3 = new QLabel("&Definir", GroupBox1);
    Label3->setObjectName("Label3");
    edCurva = new QLineEdit(GroupBox1);
    edCurva->setObjectName("edCurva");
    Label3->setBuddy(edCurva);
    btAddCurva = GlyphButton(GroupBox1, "btAddCurva", TGlyph::Add, "Acrescenta a curva de nível (+)");
    btDelCurva = GlyphButton(GroupBox1, "btDelCurva", TGlyph::Delete, "Exclui a curva de nível selecionada (-)");
    btCalcCurvas = GlyphButton(GroupBox1, "btCalcCurvas", TGlyph::Equidistant, "Calcula curvas equidistantes");
    Label4 = new QLabel("&Já definidas", GroupBox1);
    Label4->setObjectName("Label4");
    ListBox1 = new QListWidget(GroupBox1);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSortingEnabled(true);  // on the text, character by character
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Label4->setBuddy(ListBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btAddCurva);
    buttons->addWidget(btDelCurva);
    buttons->addWidget(btCalcCurvas);
    buttons->addStretch(1);
    g1->addWidget(Label3, 0, 0);
    g1->addWidget(edCurva, 1, 0);
    g1->addLayout(buttons, 2, 0);
    g1->addWidget(Label4, 3, 0);
    g1->addWidget(ListBox1, 4, 0);
    top->addWidget(GroupBox1, 1);

    auto* right = new QVBoxLayout;
    auto* limits = new QGridLayout;
    Label1 = new QLabel("Cota Mín. :", this);
    Label1->setObjectName("Label1");
    Label5 = new QLabel(this);
    Label5->setObjectName("Label5");
    Label2 = new QLabel("Cota Máx. :", this);
    Label2->setObjectName("Label2");
    Label6 = new QLabel(this);
    Label6->setObjectName("Label6");
    limits->addWidget(Label1, 0, 0);
    limits->addWidget(Label5, 0, 1);
    limits->addWidget(Label2, 1, 0);
    limits->addWidget(Label6, 1, 1);
    right->addLayout(limits);

    // Smoothing is not offered: the lines are drawn as traced.
    GroupBox2 = new QGroupBox("Suavização das Curvas", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* g2 = new QGridLayout(GroupBox2);
    cbUseInterpol = new QCheckBox("Usar Interpolação", GroupBox2);
    cbUseInterpol->setObjectName("cbUseInterpol");
    cbUseInterpol->setEnabled(false);
    tbSuavizacao = new QSlider(Qt::Horizontal, GroupBox2);
    tbSuavizacao->setObjectName("tbSuavizacao");
    tbSuavizacao->setRange(0, 4);
    tbSuavizacao->setValue(0);
    tbSuavizacao->setTickInterval(1);
    tbSuavizacao->setTickPosition(QSlider::TicksBelow);
    tbSuavizacao->setEnabled(false);
    Label7 = new QLabel("Normal", GroupBox2);
    Label7->setObjectName("Label7");
    Label7->setEnabled(false);
    Label8 = new QLabel("Suave", GroupBox2);
    Label8->setObjectName("Label8");
    Label8->setEnabled(false);
    g2->addWidget(cbUseInterpol, 0, 0, 1, 2);
    g2->addWidget(tbSuavizacao, 1, 0, 1, 2);
    g2->addWidget(Label7, 2, 0, Qt::AlignLeft);
    g2->addWidget(Label8, 2, 1, Qt::AlignRight);
    right->addWidget(GroupBox2);

    // The map is always drawn over the document's selection as the terrain
    // gives it: the choice is shown, not offered.
    GroupBox3 = new QGroupBox("Gerar Mapa:", this);
    GroupBox3->setObjectName("GroupBox3");
    auto* g3 = new QVBoxLayout(GroupBox3);
    rbMapaGeral = new QRadioButton("De &toda  a área.", GroupBox3);
    rbMapaGeral->setObjectName("rbMapaGeral");
    rbMapaParcial = new QRadioButton("Da área &selecionada.", GroupBox3);
    rbMapaParcial->setObjectName("rbMapaParcial");
    g3->addWidget(rbMapaGeral);
    g3->addWidget(rbMapaParcial);
    GroupBox3->setEnabled(false);
    right->addWidget(GroupBox3);
    right->addStretch(1);
    top->addLayout(right, 1);
    main->addLayout(top, 1);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "btOkExibeMapa", "btCancelaMapa", "HelpBtn");
    btOkExibeMapa = b.Ok;
    btCancelaMapa = b.Cancel;
    HelpBtn = b.Help;
    btCancelaMapa->setAutoDefault(false);
    HelpBtn->setEnabled(false);
    HelpBtn->setAutoDefault(false);

    SetHelpContext();

    connect(btAddCurva, &QPushButton::clicked, this, &TDefMapa::btAddCurvaClick);
    connect(btDelCurva, &QPushButton::clicked, this, &TDefMapa::btDelCurvaClick);
    connect(btCalcCurvas, &QPushButton::clicked, this, &TDefMapa::btCalcCurvasClick);
    connect(btOkExibeMapa, &QPushButton::clicked, this, &TDefMapa::btOkExibeMapaClick);
    connect(btCancelaMapa, &QPushButton::clicked, this, &QDialog::reject);
    // A click or a move with the keys; the dialog's own selections are made
    // with the signals blocked.
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TDefMapa::ListBox1Click);
    connect(ListBox1, &QListWidget::itemClicked, this, &TDefMapa::ListBox1Click);

    // The dialog sees every typed key before its controls do.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TDefMapa::SetHelpContext()
{
    edCurva->setProperty("HelpContext", 40);
    ListBox1->setProperty("HelpContext", 41);
    btAddCurva->setProperty("HelpContext", 42);
    btDelCurva->setProperty("HelpContext", 43);
    btCalcCurvas->setProperty("HelpContext", 44);
    rbMapaGeral->setProperty("HelpContext", 45);
    rbMapaParcial->setProperty("HelpContext", 46);
}

TForm2* TDefMapa::ActiveDocument() const
{
    const TForm1* frame = FrameOf(this);
    return frame ? frame->ActiveDocument() : nullptr;
}

int TDefMapa::Execute()
{
    if (!ActiveDocument())
        return QDialog::Rejected;
    FormShow();
    // Centred on the screen, not on the frame.
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    edCurva->setFocus();
    return Dialogs().ExecDialog(this);
}

void TDefMapa::FormShow()
{
    if (!ActiveDocument())
        return;
    TForm2& doc = *ActiveDocument();
    TContourRequest& ContourRequest = State_.ContourRequest;
    ContourRequest.TakeLimits((Surface_ ? *Surface_ : doc.Terrain()).MapLimits());
    const char sep = DecimalSeparator();
    Label5->setText(Text(FormatFixed(ContourRequest.MinElevation, doc.Decimals(), 10, sep)));
    Label6->setText(Text(FormatFixed(ContourRequest.MaxElevation, doc.Decimals(), 10, sep)));
    const float limit = MinSingle(4.0f, MinSingle(ContourRequest.SubdivisionLimitX, ContourRequest.SubdivisionLimitY));
    tbSuavizacao->setMaximum(std::max(0, static_cast<int>(limit)));
    ListBox1->clear();
    // The design covers the area of the run that made it, whole.
    const bool selection = !Surface_ && doc.HasAreaSelection();
    rbMapaParcial->setEnabled(selection);
    (selection ? rbMapaParcial : rbMapaGeral)->setChecked(true);
}

bool TDefMapa::FormKeyPress(QChar key)
{
    if (key == '+') {
        btAddCurvaClick();
        return true;
    }
    if (key == '-') {
        btDelCurvaClick();
        return true;
    }
    return false;
}

bool TDefMapa::edCurvaKeyPress(QChar key) { return FilterNumberKey(edCurva, key); }

bool TDefMapa::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && object->isWidgetType()
        && static_cast<QWidget*>(object)->window() == this) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const QString text = ke->text();
        if (!text.isEmpty() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (FormKeyPress(text.at(0)))
                return true;
            if (object == edCurva && !TypedKey(ke).isNull())
                return edCurvaKeyPress(text.at(0));
        }
    }
    return QDialog::eventFilter(object, event);
}

void TDefMapa::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && FormKeyPress(text.at(0)))
        return;
    QDialog::keyPressEvent(event);
}

namespace {

// The number a limit's label shows, or the limit itself when the label does
// not read as one.
long double ShownLimit(const QLabel* label, float limit)
{
    long double shown = 0;
    if (ReadNumber(label->text(), shown))
        return shown;
    return limit;
}

}  // namespace

bool TDefMapa::BelowLimits(long double level) const
{
    const TContourRequest& ContourRequest = State_.ContourRequest;
    return level < std::min<long double>(ContourRequest.MinElevation, ShownLimit(Label5, ContourRequest.MinElevation));
}

bool TDefMapa::AboveLimits(long double level) const
{
    const TContourRequest& ContourRequest = State_.ContourRequest;
    return level > std::max<long double>(ContourRequest.MaxElevation, ShownLimit(Label6, ContourRequest.MaxElevation));
}

QString TDefMapa::LevelRangeText() const { return Label5->text() + " e  " + Label6->text() + "."; }

void TDefMapa::btAddCurvaClick()
{
    long double value = 0;
    if (!ValidateNumberEdit(edCurva, nrPositive, value))
        return;
    if (BelowLimits(value) || AboveLimits(value)) {
        Messages().Warning(this, "O valor da curva de nível deve estar entre: " + LevelRangeText());
        edCurva->setFocus();
        return;
    }
    const QString text = edCurva->text();
    if (!ListBox1->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
        return;
    if (ListBox1->count() >= kMaxContourLevels) {
        Messages().Warning(this, QString("O mapa pode ter no máximo %1 curvas de nível.").arg(kMaxContourLevels));
        edCurva->setFocus();
        return;
    }
    auto* item = new QListWidgetItem(text);
    ListBox1->addItem(item);
    SelectRow(ListBox1->row(item));
    edCurva->setFocus();
}

void TDefMapa::SelectRow(int row)
{
    const QSignalBlocker block(ListBox1);
    ListBox1->setCurrentRow(row);
}

void TDefMapa::btDelCurvaClick()
{
    const int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->currentItem()->isSelected())
        return;
    {
        const QSignalBlocker block(ListBox1);
        delete ListBox1->takeItem(row);
    }
    if (ListBox1->count() > 0)
        SelectRow(std::min(row, ListBox1->count() - 1));
}

void TDefMapa::ListBox1Click()
{
    QListWidgetItem* item = ListBox1->currentItem();
    if (item && item->isSelected())
        edCurva->setText(item->text());
}

void TDefMapa::btCalcCurvasClick()
{
    TDefCurvas* DefCurvas = State_.DefCurvas;
    if (!DefCurvas)
        return;
    State_.Equidistant = DefaultEquidistant(State_.ContourRequest.MinElevation, State_.ContourRequest.MaxElevation);

    // Beside the list: to its right when the dialog fits there, else to its
    // left; level with its top when it fits below, else above.
    const QPoint at = ListBox1->viewport()->mapToGlobal(QPoint(0, 0));
    const QSize list = ListBox1->size();
    const QSize dialog = DefCurvas->frameGeometry().size();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : QSize(1024, 768);
    const int left =
        at.x() + list.width() + dialog.width() < area.width() ? at.x() + list.width() : at.x() - dialog.width();
    const int top = at.y() + list.height() + dialog.height() < area.height() ? at.y() : at.y() - dialog.height();
    DefCurvas->move(left, top);

    DefCurvas->Execute();
    edCurva->setFocus();
}

std::vector<std::string> TDefMapa::LevelTexts() const
{
    std::vector<std::string> texts;
    for (int i = 0; i < ListBox1->count(); ++i)
        texts.push_back(ListBox1->item(i)->text().toStdString());
    return texts;
}

void TDefMapa::AddLevelTexts(const std::vector<std::string>& texts)
{
    for (const std::string& s : texts) {
        const QString text = Text(s);
        if (ListBox1->count() < kMaxContourLevels
            && ListBox1->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
            ListBox1->addItem(text);
    }
}

void TDefMapa::btOkExibeMapaClick()
{
    if (ListBox1->count() == 0) {
        Messages().Warning(this, "Você deve indicar pelo menos uma curva de nível. Deseja fazê-lo agora?");
        edCurva->setFocus();
        return;
    }
    RunCommand(this, [&] {
        TContourRequest request = State_.ContourRequest;
        request.Smoothing = tbSuavizacao->value();
        const std::vector<std::string> texts = LevelTexts();
        if (!SetRequestLevels(request, texts, DecimalSeparator())) {
            // A listed text that does not read as a number (the separator
            // changed since it was typed): say which.
            for (const std::string& t : texts) {
                long double v = 0;
                if (!ParseNumber(t, v, DecimalSeparator()))
                    throw std::invalid_argument("'" + t + "' is not a valid floating point value");
            }
            throw std::invalid_argument("too many contour levels");
        }
        State_.ContourRequest = request;
        accept();
    });
}

TDefMapa* CreateAltimetricDialogs(TForm1& frame)
{
    TProgramState& state = frame.State();
    if (state.DefMapa)
        return state.DefMapa;
    state.DefMapa = new TDefMapa(state, &frame);
    state.DefMapa->hide();
    state.DefCurvas = new TDefCurvas(state, state.DefMapa, &frame);
    state.DefCurvas->hide();
    return state.DefMapa;
}

}  // namespace nivora
