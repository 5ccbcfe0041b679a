#include "uCnivel.h"

#include "app/Platform.h"
#include "app/ProgramState.h"
#include "contour/uDefMapa.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nivora {

TDefCurvas::TDefCurvas(TProgramState& state, TDefMapa* defMapa, QWidget* parent)
    : QDialog(parent), DefMapa(defMapa), State_(state)
{
    setObjectName("DefCurvas");
    setWindowTitle("Calcular Curvas Equidistantes");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(325, 150);
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    setFont(f);

    auto* main = new QHBoxLayout(this);
    GroupBox1 = new QGroupBox("Curvas de Nível", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* g = new QGridLayout(GroupBox1);
    Label1 = new QLabel("&Mínimo", GroupBox1);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName("Edit1");
    Label2 = new QLabel("Má&ximo", GroupBox1);
    Label2->setObjectName("Label2");
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName("Edit2");
    Label3 = new QLabel("&Intervalo", GroupBox1);
    Label3->setObjectName("Label3");
    Edit3 = new QLineEdit(GroupBox1);
    Edit3->setObjectName("Edit3");
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Label3->setBuddy(Edit3);
    g->addWidget(Label1, 0, 0);
    g->addWidget(Edit1, 0, 1);
    g->addWidget(Label2, 1, 0);
    g->addWidget(Edit2, 1, 1);
    g->addWidget(Label3, 2, 0);
    g->addWidget(Edit3, 2, 1);
    main->addWidget(GroupBox1, 1);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Vertical, "OKBtn", "CancelBtn", "HelpBtn");
    OKBtn = b.Ok;
    CancelBtn = b.Cancel;
    HelpBtn = b.Help;
    CancelBtn->setAutoDefault(false);
    HelpBtn->setEnabled(false);
    HelpBtn->setAutoDefault(false);

    for (QLineEdit* e : {Edit1, Edit2, Edit3})
        e->installEventFilter(this);
    connect(OKBtn, &QPushButton::clicked, this, &TDefCurvas::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

int TDefCurvas::Execute()
{
    FormShow();
    Edit1->setFocus();
    return Dialogs().ExecDialog(this);
}

void TDefCurvas::FormShow()
{
    Edit1->setText(General(State_.Equidistant.Min));
    Edit2->setText(General(State_.Equidistant.Max));
    Edit3->setText(General(State_.Equidistant.Step));
}

bool TDefCurvas::Edit1KeyPress(QLineEdit* edit, QChar key) { return FilterNumberKey(edit, key); }

bool TDefCurvas::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (object == Edit1 || object == Edit2 || object == Edit3)) {
        const QChar key = TypedKey(static_cast<QKeyEvent*>(event));
        return !key.isNull() && Edit1KeyPress(static_cast<QLineEdit*>(object), key);
    }
    return QDialog::eventFilter(object, event);
}

void TDefCurvas::OKBtnClick()
{
    if (!DefMapa)
        return;
    long double value = 0;
    if (!ValidateNumberEdit(Edit1, nrPositive, value))
        return;
    if (DefMapa->BelowLimits(value)) {
        Messages().Warning(this, "O mínimo valor de curva de nível deve estar entre: " + DefMapa->LevelRangeText());
        Edit1->setFocus();
        return;
    }
    State_.Equidistant.Min = value;

    if (!ValidateNumberEdit(Edit2, nrPositive, value))
        return;
    if (DefMapa->AboveLimits(value)) {
        Messages().Warning(this, "O máximo valor de curva de nível deve estar entre: " + DefMapa->LevelRangeText());
        Edit2->setFocus();
        return;
    }
    State_.Equidistant.Max = value;

    if (!ValidateNumberEdit(Edit3, nrPositive, value))
        return;
    State_.Equidistant.Step = value;

    std::vector<std::string> list = DefMapa->LevelTexts();
    AddEquidistantLevels(list, State_.Equidistant, DecimalSeparator());
    DefMapa->AddLevelTexts(list);
    accept();
}

}  // namespace nivora
