#include "uFileNew.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/SaveOpen.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <stdexcept>

namespace nivora {

namespace {

// An integer spin edit whose text stays as the user left it, empty or half
// typed: Enter and leaving the box do not put the last value back, so that
// the origin and OK judge the text itself (a text that is no integer counts
// as the minimum in the origin and is an error at OK).
class TSpinEdit : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    bool HoldsInteger() const
    {
        bool ok = false;
        text().trimmed().toInt(&ok);
        return ok;
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !HoldsInteger()) {
            e->ignore();  // on to the dialog's default button
            return;
        }
        QSpinBox::keyPressEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        if (HoldsInteger()) {
            QSpinBox::focusOutEvent(e);
            return;
        }
        QCoreApplication::sendEvent(lineEdit(), e);  // the caret stops blinking
        QWidget::focusOutEvent(e);
    }
};

// The spin edit's value, or nothing when its text is not an integer.
bool SpinValue(const QSpinBox* spin, int& value)
{
    bool ok = false;
    const int v = spin->text().trimmed().toInt(&ok);
    if (ok)
        value = v;
    return ok;
}

}  // namespace

TFileNew::TFileNew(QWidget* parent) : QDialog(parent)
{
    setObjectName("FileNew");
    setWindowTitle("Novo Arquivo de Cotas");
    setFixedSize(407, 251);
    setSizeGripEnabled(false);

    auto* main = new QVBoxLayout(this);
    // Only the group titles are bold.
    const QString boldTitle = "QGroupBox { font-weight: bold; }";

    GroupBox1 = new QGroupBox("&Distância entre piquetes", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setStyleSheet(boldTitle);
    auto* g1 = new QGridLayout(GroupBox1);
    CheckBox1 = new QCheckBox("&Iguais nas duas direções", GroupBox1);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    lbLx = new QLabel("Na direção &horizontal (m)", GroupBox1);
    lbLx->setObjectName("lbLx");
    edLx = new QLineEdit("10", GroupBox1);
    edLx->setObjectName("edLx");
    lbLx->setBuddy(edLx);
    lbLy = new QLabel("Na direção &vertical (m)", GroupBox1);
    lbLy->setObjectName("lbLy");
    edLy = new QLineEdit("30", GroupBox1);
    edLy->setObjectName("edLy");
    lbLy->setBuddy(edLy);
    // Spacings take only the keys of a number.
    edLx->installEventFilter(this);
    edLy->installEventFilter(this);
    g1->addWidget(CheckBox1, 0, 0, 1, 2);
    g1->addWidget(lbLx, 1, 0);
    g1->addWidget(edLx, 1, 1);
    g1->addWidget(lbLy, 2, 0);
    g1->addWidget(edLy, 2, 1);
    main->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox("&Coordenadas do piquete origem", this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setStyleSheet(boldTitle);
    auto* g2 = new QGridLayout(GroupBox2);
    Label1 = new QLabel("N&x", GroupBox2);
    Label1->setObjectName("Label1");
    spNx = new TSpinEdit(GroupBox2);
    spNx->setObjectName("spNx");
    Label2 = new QLabel("N&y", GroupBox2);
    Label2->setObjectName("Label2");
    spNy = new TSpinEdit(GroupBox2);
    spNy->setObjectName("spNy");
    for (QSpinBox* s : {spNx, spNy}) {
        s->setRange(-1000, 1000);
        s->setValue(1);
    }
    Label1->setBuddy(spNx);
    Label2->setBuddy(spNy);
    Label3 = new QLabel("Origem", GroupBox2);
    Label3->setObjectName("Label3");
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setStyleSheet("color: rgb(0, 0, 255); font-weight: bold;");
    g2->addWidget(Label1, 0, 0);
    g2->addWidget(spNx, 0, 1);
    g2->addWidget(Label2, 0, 2);
    g2->addWidget(spNy, 0, 3);
    g2->addWidget(Label3, 1, 0, 1, 4);
    main->addWidget(GroupBox2);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setEnabled(false);

    connect(CheckBox1, &QCheckBox::toggled, this, &TFileNew::CheckBox1Click);
    connect(edLx, &QLineEdit::textChanged, this, &TFileNew::edLxChange);
    connect(edLy, &QLineEdit::textChanged, this, &TFileNew::UpdateOrigin);
    // A value set or stepped comes through the spin edit's signal; a text
    // typed that is no integer (yet) only through its editor's.
    for (QSpinBox* spin : {spNx, spNy}) {
        connect(spin, &QSpinBox::textChanged, this, &TFileNew::UpdateOrigin);
        connect(spin->findChild<QLineEdit*>(), &QLineEdit::textChanged, this, &TFileNew::UpdateOrigin);
    }
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    CheckBox1Click();
}

void TFileNew::CheckBox1Click()
{
    const bool equal = CheckBox1->isChecked();
    edLy->setEnabled(!equal);
    lbLy->setEnabled(!equal);
    if (equal)
        edLy->setText(edLx->text());
    UpdateOrigin();
}

void TFileNew::edLxChange()
{
    if (CheckBox1->isChecked())
        edLy->setText(edLx->text());
    UpdateOrigin();
}

void TFileNew::UpdateOrigin()
{
    int nx = -1000, ny = -1000;  // a text that is no integer counts as the minimum
    SpinValue(spNx, nx);
    SpinValue(spNy, ny);
    QString s = "X = ?; ";
    long double lx = 0, ly = 0;
    if (ReadNumber(edLx->text(), lx) && lx > 0) {
        OriginX_ = OriginForStake(nx, static_cast<float>(lx));
        s = "X = " + QString::fromStdString(FormatShortest(OriginX_, DecimalSeparator())) + "; ";
    }
    if (ReadNumber(edLy->text(), ly) && ly > 0) {
        OriginY_ = OriginForStake(ny, static_cast<float>(ly));
        s += "Y = " + QString::fromStdString(FormatShortest(OriginY_, DecimalSeparator()));
    } else {
        s += "Y = ?";
    }
    Label3->setText("Origem: " + s);
}

bool TFileNew::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (object == edLx || object == edLy))
        return FilterNumberKeyEvent(static_cast<QLineEdit*>(object), static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(object, event);
}

void TFileNew::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    UpdateOrigin();
}

bool TFileNew::Execute() { return Dialogs().ExecDialog(this) == QDialog::Accepted; }

void TFileNew::BitBtn1Click()
{
    long double lx = 0, ly = 0;
    if (!ValidateNumberEdit(edLx, nrPositive, lx))
        return;
    if (edLy->isEnabled()) {
        if (!ValidateNumberEdit(edLy, nrPositive, ly))
            return;
    } else {
        ly = lx;
    }
    // Spacings must be singles the project file keeps and leave room for
    // 1000 stakes.
    if (!SpacingInRange(lx) || !SpacingInRange(ly)) {
        Messages().Error(this, "A caixa de edição contém um número inválido.");
        return;
    }
    int nx = 0, ny = 0;
    if (!SpinValue(spNx, nx))
        throw std::invalid_argument(("'" + spNx->text() + "' is not a valid integer value").toStdString());
    if (!SpinValue(spNy, ny))
        throw std::invalid_argument(("'" + spNy->text() + "' is not a valid integer value").toStdString());
    Lx_ = static_cast<float>(lx);
    Ly_ = static_cast<float>(ly);
    UpdateOrigin();
    CreateDocument(FrameOf(this), QString(), 20, 20, Lx_, Ly_, OriginX_, OriginY_);
    accept();
}

}  // namespace nivora
