#include "uDefSist.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/ResultTable.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace nivora {

TDefSist::TDefSist(QWidget* parent) : QDialog(parent)
{
    setObjectName("DefSist");
    setWindowTitle("Sistematizar...");
    setFixedSize(430, 196);
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    setFont(f);
    setProperty("HelpContext", 2);

    auto* main = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox("Opções", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* g = new QVBoxLayout(GroupBox1);
    rbSistematizaTudo = new QRadioButton("Sistematizar toda a área.", GroupBox1);
    rbSistematizaTudo->setObjectName("rbSistematizaTudo");
    rbSistematizaSelecao = new QRadioButton("Sistematizar somente a área selecionada.", GroupBox1);
    rbSistematizaSelecao->setObjectName("rbSistematizaSelecao");
    Bevel1 = new QFrame(GroupBox1);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    auto* ratioRow = new QHBoxLayout;
    cbAjustaCA = new QCheckBox("&Definir a relação corte/aterro em:", GroupBox1);
    cbAjustaCA->setObjectName("cbAjustaCA");
    edRelCA = new QLineEdit(GroupBox1);
    edRelCA->setObjectName("edRelCA");
    edRelCA->setFixedWidth(50);
    edRelCA->setEnabled(false);
    edRelCA->installEventFilter(this);
    ratioRow->addWidget(cbAjustaCA);
    ratioRow->addWidget(edRelCA);
    ratioRow->addStretch(1);
    g->addWidget(rbSistematizaTudo);
    g->addWidget(rbSistematizaSelecao);
    g->addWidget(Bevel1);
    g->addLayout(ratioRow);
    main->addWidget(GroupBox1);

    const TDialogButtons b =
        AddDialogButtons(this, main, Qt::Horizontal, "btOkSistematiza", "btCancelaSistematizacao", "HelpBtn", "A&juda");
    btOkSistematiza = b.Ok;
    btCancelaSistematizacao = b.Cancel;
    HelpBtn = b.Help;
    HelpBtn->setEnabled(false);

    // Help contexts of the dialog's controls.
    btOkSistematiza->setProperty("HelpContext", 37);
    btCancelaSistematizacao->setProperty("HelpContext", 38);
    rbSistematizaTudo->setProperty("HelpContext", 34);
    rbSistematizaSelecao->setProperty("HelpContext", 35);
    cbAjustaCA->setProperty("HelpContext", 36);
    edRelCA->setProperty("HelpContext", 39);

    edRelCA->setText(General(DefaultRatio));
    connect(cbAjustaCA, &QCheckBox::toggled, this, &TDefSist::cbAjustaCAClick);
    connect(btOkSistematiza, &QPushButton::clicked, this, &TDefSist::btOkSistematizaClick);
    connect(btCancelaSistematizacao, &QPushButton::clicked, this, &QDialog::reject);
}

void TDefSist::Execute()
{
    FormShow();
    Dialogs().ExecDialog(this);
}

void TDefSist::FormShow()
{
    const TForm1* frame = FrameOf(this);
    const TForm2* document = frame ? frame->ActiveDocument() : nullptr;
    const bool selection = document && document->HasAreaSelection();
    rbSistematizaSelecao->setEnabled(selection);
    (selection ? rbSistematizaSelecao : rbSistematizaTudo)->setChecked(true);
}

void TDefSist::cbAjustaCAClick()
{
    edRelCA->setEnabled(cbAjustaCA->isChecked());
    if (edRelCA->isEnabled())
        edRelCA->setFocus();
}

bool TDefSist::edRelCAKeyPress(QChar key) { return FilterNumberKey(edRelCA, key); }

void TDefSist::edRelCAExit()
{
    long double v = 0;
    if (!ReadNumber(edRelCA->text(), v)) {
        edRelCA->setText(General(DefaultRatio));
        return;
    }
    const std::string typed = edRelCA->text().toStdString();
    const std::string tidied = TidyRatioText(typed, DecimalSeparator());
    if (tidied != typed)
        edRelCA->setText(QString::fromStdString(tidied));
}

bool TDefSist::eventFilter(QObject* object, QEvent* event)
{
    if (object == edRelCA) {
        if (event->type() == QEvent::FocusOut)
            edRelCAExit();
        if (event->type() == QEvent::KeyPress) {
            const QChar key = TypedKey(static_cast<QKeyEvent*>(event));
            return !key.isNull() && edRelCAKeyPress(key);
        }
    }
    return QDialog::eventFilter(object, event);
}

void TDefSist::btOkSistematizaClick()
{
    const bool selectionOnly = !rbSistematizaTudo->isChecked();
    RunCommand(this, [&] {
        long double ratio = -1;
        if (cbAjustaCA->isChecked()) {
            // No range correction here: that happens when the field is left.
            if (!ReadNumber(edRelCA->text(), ratio))
                throw std::invalid_argument(
                    ("'" + edRelCA->text() + "' is not a valid floating point value").toStdString());
        }
        accept();
        // The ratio passed to the run, -1 when none was asked for.
        if (TForm1* frame = FrameOf(this)) {
            TProgramState& state = frame->State();
            state.RequestedRatio = ratio;
            if (TForm2* document = frame->ActiveDocument())
                document->Systematize(selectionOnly, state.RequestedRatio);
        }
    });
    if (isVisible())
        reject();  // a conversion error closes the dialog too, without a run
}

}  // namespace nivora
