#include "uPropriedades.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "data/NumberEdit.h"
#include "grid/datagrid.h"
#include "survey/CrsEdit.h"
#include "survey/PointFile.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

namespace nivora {

namespace {

constexpr int kHelpContext = 71;

const char kNotInformed[] = "Sistema não informado: as coordenadas valem no sistema em que o terreno foi medido.";

// A coordinate in the shortest text that reads back to the same double, in
// the user's decimal mark and never in scientific notation: a surveyor
// copies it to and from a field book.
QString Coordinate(double value)
{
    char text[64];
    const auto end = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed).ptr;
    QString s = QString::fromLatin1(text, int(end - text));
    s.replace('.', QChar(DecimalSeparator()));
    return s;
}

// The double the checked text stands for, read directly rather than through
// the extended value, so that the text the dialog showed reads back to the
// coordinate it came from.
double ExactCoordinate(const QString& text, long double checked)
{
    std::string s = text.trimmed().toStdString();
    for (char& c : s)
        if (c == DecimalSeparator())
            c = '.';
    std::size_t start = !s.empty() && s[0] == '+' ? 1 : 0;
    double value = 0;
    const auto [end, error] = std::from_chars(s.data() + start, s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size())
        return double(checked);
    return value;
}

}  // namespace

TPropriedades::TPropriedades(QWidget* parent) : QDialog(parent)
{
    setObjectName("Propriedades");
    setWindowTitle("Propriedades do Projeto");
    setProperty("HelpContext", kHelpContext);
    const QString boldTitle = "QGroupBox { font-weight: bold; }";
    auto* main = new QVBoxLayout(this);

    cbGeorreferenciado = new QCheckBox("Projeto &georreferenciado", this);
    cbGeorreferenciado->setObjectName("cbGeorreferenciado");
    cbGeorreferenciado->setToolTip("Desmarque para remover a georreferência do projeto.");
    main->addWidget(cbGeorreferenciado);

    gbSistema = new QGroupBox("Sistema de coordenadas", this);
    gbSistema->setObjectName("gbSistema");
    gbSistema->setStyleSheet(boldTitle);
    auto* gs = new QGridLayout(gbSistema);
    auto* lbEpsg = new QLabel("Código E&PSG", gbSistema);
    edEpsg = new QLineEdit(gbSistema);
    edEpsg->setObjectName("edEpsg");
    edEpsg->setPlaceholderText("não informado");
    SetUpEpsgEdit(edEpsg);
    lbEpsg->setBuddy(edEpsg);
    lbSistema = new QLabel(gbSistema);
    lbSistema->setObjectName("lbSistema");
    lbSistema->setWordWrap(true);
    lbSistema->setMinimumHeight(2 * lbSistema->fontMetrics().height());
    lbSistema->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gs->addWidget(lbEpsg, 0, 0);
    gs->addWidget(edEpsg, 0, 1);
    gs->addWidget(lbSistema, 1, 0, 1, 2);
    gs->setColumnStretch(1, 1);
    main->addWidget(gbSistema);

    gbOrigem = new QGroupBox("Coordenadas do piquete (1, 1)", this);
    gbOrigem->setObjectName("gbOrigem");
    gbOrigem->setStyleSheet(boldTitle);
    auto* go = new QGridLayout(gbOrigem);
    auto* lbEste = new QLabel("&Este (m)", gbOrigem);
    edEste = new QLineEdit(gbOrigem);
    edEste->setObjectName("edEste");
    lbEste->setBuddy(edEste);
    auto* lbNorte = new QLabel("&Norte (m)", gbOrigem);
    edNorte = new QLineEdit(gbOrigem);
    edNorte->setObjectName("edNorte");
    lbNorte->setBuddy(edNorte);
    // The coordinates take only the keys of a number, as every number box.
    edEste->installEventFilter(this);
    edNorte->installEventFilter(this);
    go->addWidget(lbEste, 0, 0);
    go->addWidget(edEste, 0, 1);
    go->addWidget(lbNorte, 1, 0);
    go->addWidget(edNorte, 1, 1);
    go->setColumnStretch(1, 1);
    main->addWidget(gbOrigem);

    gbLinhas = new QGroupBox("Linhas da grade", this);
    gbLinhas->setObjectName("gbLinhas");
    gbLinhas->setStyleSheet(boldTitle);
    auto* gl = new QVBoxLayout(gbLinhas);
    rbSul = new QRadioButton("A linha 1 fica ao norte; as linhas avançam para o &sul", gbLinhas);
    rbSul->setObjectName("rbSul");
    rbNorte = new QRadioButton("A linha 1 fica ao sul; as linhas avançam para o n&orte", gbLinhas);
    rbNorte->setObjectName("rbNorte");
    rbSul->setChecked(true);
    gl->addWidget(rbSul);
    gl->addWidget(rbNorte);
    lbCanto = new QLabel(gbLinhas);
    lbCanto->setObjectName("lbCanto");
    lbCanto->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gl->addWidget(lbCanto);
    main->addWidget(gbLinhas);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setAutoDefault(false);
    setMinimumWidth(460);

    connect(cbGeorreferenciado, &QCheckBox::toggled, this, &TPropriedades::cbGeorreferenciadoClick);
    connect(edEpsg, &QLineEdit::textChanged, this, &TPropriedades::edEpsgChange);
    for (QLineEdit* e : {edEste, edNorte})
        connect(e, &QLineEdit::textChanged, this, &TPropriedades::UpdateCorner);
    connect(rbSul, &QRadioButton::toggled, this, &TPropriedades::UpdateCorner);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
    ShowGeoreference(std::nullopt);
}

bool TPropriedades::Execute(TForm2* document)
{
    if (!document)
        return false;
    Document = document;
    const std::optional<TGeoreference> before = document->Terrain().Extension().Georeference;
    ShowGeoreference(before);
    const bool accepted = Dialogs().ExecDialog(this) == QDialog::Accepted;
    Document = nullptr;
    return accepted && document->Terrain().Extension().Georeference != before;
}

void TPropriedades::ShowGeoreference(const std::optional<TGeoreference>& georeference)
{
    const TGeoreference g = georeference.value_or(TGeoreference{});
    edEpsg->setText(georeference && g.Epsg > 0 ? QString::number(g.Epsg) : QString());
    edEste->setText(georeference ? Coordinate(g.CornerEasting) : QString());
    edNorte->setText(georeference ? Coordinate(g.CornerNorthing) : QString());
    (g.RowsRunSouth ? rbSul : rbNorte)->setChecked(true);
    // Set last: toggling it enables the fields and gives the focus.
    cbGeorreferenciado->setChecked(georeference.has_value());
    cbGeorreferenciadoClick();
    edEpsgChange();
    UpdateCorner();
}

void TPropriedades::cbGeorreferenciadoClick()
{
    const bool on = cbGeorreferenciado->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(gbSistema), static_cast<QWidget*>(gbOrigem), static_cast<QWidget*>(gbLinhas)})
        w->setEnabled(on);
    if (!on || !isVisible() || !edEste->text().isEmpty() || !edNorte->text().isEmpty())
        return;
    // A project typed with its stakes at their real coordinates: those are
    // proposed, with the rows running as its Y does (north, row on row).
    if (Document) {
        const double x = double(static_cast<long double>(Document->Terrain().OriginX()));
        const double y = double(static_cast<long double>(Document->Terrain().OriginY()));
        if (x != 0 || y != 0) {
            edEste->setText(Coordinate(x));
            edNorte->setText(Coordinate(y));
            rbNorte->setChecked(true);
        }
    }
    edEste->setFocus();
    edEste->selectAll();
}

void TPropriedades::edEpsgChange() { ShowEpsgName(lbSistema, edEpsg->text(), kNotInformed); }

void TPropriedades::UpdateCorner()
{
    if (!Document) {
        lbCanto->clear();
        return;
    }
    const TTerreno& t = Document->Terrain();
    const std::int32_t cols = std::max<std::int32_t>(1, t.ColCount());
    const std::int32_t rows = std::max<std::int32_t>(1, t.RowCount());
    long double e = 0, n = 0;
    if (!ReadNumber(edEste->text(), e) || !ReadNumber(edNorte->text(), n)) {
        lbCanto->setText(QString("Piquete (%1, %2): E = ?; N = ?").arg(cols).arg(rows));
        return;
    }
    TGeoreference g;
    g.CornerEasting = ExactCoordinate(edEste->text(), e);
    g.CornerNorthing = ExactCoordinate(edNorte->text(), n);
    g.RowsRunSouth = rbSul->isChecked();
    const double lx = double(static_cast<long double>(t.Lx()));
    const double ly = double(static_cast<long double>(t.Ly()));
    lbCanto->setText(QString("Piquete (%1, %2): E = %3; N = %4")
                         .arg(cols)
                         .arg(rows)
                         .arg(Coordinate(g.Easting(cols, lx)), Coordinate(g.Northing(rows, ly))));
}

bool TPropriedades::ReadControls(std::optional<TGeoreference>& georeference)
{
    if (!cbGeorreferenciado->isChecked()) {
        georeference.reset();
        return true;
    }
    TGeoreference g;
    // The code the project already has stays without a check: a file may
    // name a system this machine's database does not know, and changing the
    // corner must not force the user to change it.
    std::optional<std::int32_t> typed;
    const auto& current = Document ? Document->Terrain().Extension().Georeference : std::nullopt;
    if (current && current->Epsg > 0 && EpsgFromText(edEpsg->text(), typed) && typed == current->Epsg)
        g.Epsg = current->Epsg;
    else if (!ValidateEpsgEdit(edEpsg, g.Epsg))
        return false;
    long double e = 0, n = 0;
    if (!ValidateNumberEdit(edEste, nrAny, e) || !ValidateNumberEdit(edNorte, nrAny, n))
        return false;
    g.CornerEasting = ExactCoordinate(edEste->text(), e);
    g.CornerNorthing = ExactCoordinate(edNorte->text(), n);
    for (const auto& [value, edit] : {std::pair{g.CornerEasting, edEste}, std::pair{g.CornerNorthing, edNorte}}) {
        if (!std::isfinite(value) || std::fabs(value) > kMaxPointCoordinate) {
            Messages().Error(this, "As coordenadas do piquete (1, 1) devem ficar entre -10^15 e 10^15 m.");
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    g.RowsRunSouth = rbSul->isChecked();
    georeference = g;
    return true;
}

void TPropriedades::BitBtn1Click()
{
    if (!ReadControls(Typed))
        return;
    if (Document) {
        // The undo history holds changes of the elevations only: the
        // georeference is not one of its steps, the document just differs
        // from its file until it is saved.
        Document->Document().SetGeoreference(Typed);
    }
    accept();
}

bool TPropriedades::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (object == edEste || object == edNorte))
        return FilterNumberKeyEvent(static_cast<QLineEdit*>(object), static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(object, event);
}

}  // namespace nivora
