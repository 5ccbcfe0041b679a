// The contour level dialogs in the program: the map definition dialog's
// limits and list, the equidistant levels it is offered, the refusals and
// the request it hands over.

#include "gui/GuiTestSupport.h"
#include "app/sist.h"
#include "contour/uCnivel.h"
#include "contour/uDefMapa.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

class TestLevelDialogs : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TDefMapa* d = nullptr;
    TDefCurvas* c = nullptr;

    QListWidget* ListBox1() const { return Control<QListWidget>(d, "ListBox1"); }
    QLineEdit* edCurva() const { return Control<QLineEdit>(d, "edCurva"); }

    // A document whose stakes hold the given elevations, row by row.
    TForm2* Document(int columns, const std::vector<float>& z)
    {
        const int rows = int(z.size()) / columns;
        TForm2* doc =
            CreateDocument(frame.get(), QString(), std::max(columns, 20), std::max(rows, 20), 10.0f, 10.0f, 0.0f, 0.0f);
        for (std::size_t i = 0; i < z.size(); ++i)
            doc->Terrain().SetCell(std::int32_t(i % columns) + 1, std::int32_t(i / columns) + 1, z[i]);
        frame->ActivateChild(doc);
        return doc;
    }

    QStringList Listed() const
    {
        QStringList texts;
        for (int i = 0; i < ListBox1()->count(); ++i)
            texts << ListBox1()->item(i)->text();
        return texts;
    }

    void Add(const QString& text)
    {
        edCurva()->setText(text);
        d->btAddCurvaClick();
    }

    // The equidistant dialog opened from the map dialog, then accepted with
    // the given boxes (a box left as proposed when its text is null).
    void Equidistant(const QString& min = {}, const QString& max = {}, const QString& step = {})
    {
        d->btCalcCurvasClick();
        if (!min.isNull())
            Control<QLineEdit>(c, "Edit1")->setText(min);
        if (!max.isNull())
            Control<QLineEdit>(c, "Edit2")->setText(max);
        if (!step.isNull())
            Control<QLineEdit>(c, "Edit3")->setText(step);
        c->setResult(QDialog::Rejected);
        c->OKBtnClick();
    }

    QString LastMessage() const { return recorder->Shown.empty() ? QString() : recorder->Shown.back().Text; }

private slots:
    void init()
    {
        QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        d = CreateAltimetricDialogs(*frame);
        c = frame->State().DefCurvas.data();
        QVERIFY(d && c);
        QCOMPARE(CreateAltimetricDialogs(*frame), d);  // made once, reused
        recorder->DialogsRun.clear();                  // the opening screen of the frame
    }

    void cleanup() { QVERIFY(CloseFrame()); }

    // Both limits are accepted as the labels show them, also where a single
    // cannot hold them exactly (100.3 is kept as 100.30000305 and 553.785 as
    // 553.78497314), in both dialogs.
    void limitsAreAcceptedAsShown()
    {
        Document(2, {100.3f, 553.785f, 200.0f, 300.0f});
        d->FormShow();
        QCOMPARE(Control<QLabel>(d, "Label5")->text(), QString("100,300"));
        QCOMPARE(Control<QLabel>(d, "Label6")->text(), QString("553,785"));
        const struct {
            const char* level;
            bool accepted;
        } levels[] = {{"100,3", true}, {"553,785", true}, {"100,299", false}, {"553,786", false}};
        for (const auto& l : levels) {
            ListBox1()->clear();
            const auto shown = recorder->Shown.size();
            Add(l.level);
            QCOMPARE(Listed(), l.accepted ? QStringList{l.level} : QStringList{});
            QCOMPARE(recorder->Shown.size(), shown + (l.accepted ? 0 : 1));
        }
        ListBox1()->clear();
        Equidistant("100,3", "553,785", "100");
        QCOMPARE(c->result(), int(QDialog::Accepted));
        QCOMPARE(Listed(), (QStringList{"100,3", "200,3", "300,3", "400,3", "500,3"}));
    }

    void controlsAndLimitsAtOpening()
    {
        TForm2* doc = Document(3, {100, 102, 104, 106, 108, 110});
        ListBox1()->addItem("105");  // from an earlier opening
        d->FormShow();
        auto* Label5 = Control<QLabel>(d, "Label5");
        auto* Label6 = Control<QLabel>(d, "Label6");
        auto* tbSuavizacao = Control<QSlider>(d, "tbSuavizacao");
        auto* GroupBox3 = Control<QGroupBox>(d, "GroupBox3");
        auto* rbMapaParcial = Control<QRadioButton>(d, "rbMapaParcial");
        QCOMPARE(d->windowTitle(), QString("Exibir Mapa Altimétrico..."));
        QCOMPARE(c->windowTitle(), QString("Calcular Curvas Equidistantes"));
        QCOMPARE(d->size(), QSize(450, 322));
        QCOMPARE(c->size(), QSize(325, 150));
        QCOMPARE(frame->State().ContourRequest.MinElevation, 100.0f);
        QCOMPARE(frame->State().ContourRequest.MaxElevation, 110.0f);
        QCOMPARE(Label5->text(), QString("100,000"));
        QCOMPARE(Label6->text(), QString("110,000"));
        QCOMPARE(ListBox1()->count(), 0);
        QCOMPARE(tbSuavizacao->maximum(), 4);
        QCOMPARE(tbSuavizacao->value(), 0);
        QVERIFY(!tbSuavizacao->isEnabled());
        QVERIFY(!Control<QCheckBox>(d, "cbUseInterpol")->isEnabled());
        QVERIFY(!Control<QLabel>(d, "Label7")->isEnabled() && !Control<QLabel>(d, "Label8")->isEnabled());
        QVERIFY(!GroupBox3->isEnabled());
        QVERIFY(!Control<QPushButton>(d, "HelpBtn")->isEnabled() && !Control<QPushButton>(c, "HelpBtn")->isEnabled());
        QVERIFY(Control<QPushButton>(d, "btOkExibeMapa")->isDefault() && Control<QPushButton>(c, "OKBtn")->isDefault());
        QVERIFY(Control<QRadioButton>(d, "rbMapaGeral")->isChecked());
        QVERIFY(!rbMapaParcial->isEnabledTo(GroupBox3));
        QCOMPARE(edCurva()->property("HelpContext").toInt(), 40);
        QCOMPARE(rbMapaParcial->property("HelpContext").toInt(), 46);

        // A selected block: the limits are the block's, and the partial map
        // is the one checked.
        doc->SetGridSelection({2, 1, 3, 2});
        doc->SetGridFont(doc->GridFont(), -1);  // 3 decimals down to 1
        doc->SetGridFont(doc->GridFont(), -1);
        d->FormShow();
        QCOMPARE(Label5->text(), QString("102,0"));
        QCOMPARE(Label6->text(), QString("110,0"));
        QVERIFY(rbMapaParcial->isEnabledTo(GroupBox3));
        QVERIFY(rbMapaParcial->isChecked());
    }

    void smoothingRangeFollowsTheSubdivisionLimit()
    {
        // Stakes out to column 500: 1000 / 500 - 1 leaves one subdivision.
        TForm2* doc = CreateDocument(frame.get(), QString(), 500, 20, 10.0f, 10.0f, 0.0f, 0.0f);
        doc->Terrain().SetCell(1, 1, 100.0f);
        doc->Terrain().SetCell(500, 2, 101.0f);
        frame->ActivateChild(doc);
        d->FormShow();
        QCOMPARE(frame->State().ContourRequest.SubdivisionLimitX, 1.0f);
        QCOMPARE(Control<QSlider>(d, "tbSuavizacao")->maximum(), 1);
    }

    void equidistantLevelsOverARoundSpan()
    {
        Document(3, {100, 102, 104, 106, 108, 110});
        d->FormShow();
        d->btCalcCurvasClick();
        QCOMPARE(recorder->DialogsRun, QStringList{"DefCurvas"});
        QCOMPARE(Control<QLineEdit>(c, "Edit1")->text(), QString("100"));
        QCOMPARE(Control<QLineEdit>(c, "Edit2")->text(), QString("110"));
        QCOMPARE(Control<QLineEdit>(c, "Edit3")->text(), QString("2"));
        c->setResult(QDialog::Rejected);
        c->OKBtnClick();
        QCOMPARE(c->result(), int(QDialog::Accepted));
        QCOMPARE(Listed(), (QStringList{"100", "102", "104", "106", "108", "110"}));

        d->btOkExibeMapaClick();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(frame->State().ContourRequest.LevelCount, 6);
        QCOMPARE(double(frame->State().ContourRequest.Levels[0]), 100.0);
        QCOMPARE(double(frame->State().ContourRequest.Levels[5]), 110.0);
        QCOMPARE(frame->State().ContourRequest.Smoothing, 0);
        QVERIFY(recorder->Shown.empty());
    }

    void generationStopsAtTwentyEntries()
    {
        Document(2, {100, 101, 102, 110});
        d->FormShow();
        Add("109");
        Add("109,5");
        QCOMPARE(ListBox1()->count(), 2);
        Equidistant("100", "110", "0,1");
        QCOMPARE(ListBox1()->count(), 20);
        QVERIFY(Listed().contains("109") && Listed().contains("109,5"));

        // A full list takes no more, by hand or generated, and says so.
        recorder->Shown.clear();
        Add("105,55");
        QCOMPARE(ListBox1()->count(), 20);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QCOMPARE(recorder->Shown[0].Kind, QString("Warning"));
        Equidistant("105", "106", "0,25");
        QCOMPARE(ListBox1()->count(), 20);
        QVERIFY(!Listed().contains("105,25"));

        d->btOkExibeMapaClick();
        QCOMPARE(frame->State().ContourRequest.LevelCount, 20);
    }

    void levelsAreHandedOverInTextOrder()
    {
        Document(2, {9, 9.5f, 10, 11});
        d->FormShow();
        Add("9,5");
        Add("10");
        Add("10");    // the same text again adds nothing
        Add("10,0");  // the same number typed otherwise is another entry
        QCOMPARE(Listed(), (QStringList{"10", "10,0", "9,5"}));
        d->btOkExibeMapaClick();
        QCOMPARE(frame->State().ContourRequest.LevelCount, 3);
        QCOMPARE(double(frame->State().ContourRequest.Levels[0]), 10.0);
        QCOMPARE(double(frame->State().ContourRequest.Levels[1]), 10.0);
        QCOMPARE(double(frame->State().ContourRequest.Levels[2]), 9.5);
    }

    void refusalsLeaveTheDialogsOpen()
    {
        Document(3, {100, 102, 104, 106, 108, 110});
        d->FormShow();

        Add("");
        QCOMPARE(recorder->Shown.back().Kind, QString("Error"));
        QCOMPARE(LastMessage(), QString("A caixa de edição não pode ficar vazia."));
        Add("99,99");
        QCOMPARE(recorder->Shown.back().Kind, QString("Warning"));
        QCOMPARE(LastMessage(), QString("O valor da curva de nível deve estar entre: 100,000 e  110,000."));
        Add("110,01");
        QCOMPARE(LastMessage(), QString("O valor da curva de nível deve estar entre: 100,000 e  110,000."));
        QCOMPARE(ListBox1()->count(), 0);
        Add("100");  // both limits are levels
        Add("110");
        QCOMPARE(ListBox1()->count(), 2);

        Equidistant("99");
        QCOMPARE(c->result(), int(QDialog::Rejected));
        QCOMPARE(LastMessage(), QString("O mínimo valor de curva de nível deve estar entre: 100,000 e  110,000."));
        Equidistant("100", "111");
        QCOMPARE(c->result(), int(QDialog::Rejected));
        QCOMPARE(LastMessage(), QString("O máximo valor de curva de nível deve estar entre: 100,000 e  110,000."));
        Equidistant("100", "110", "0");
        QCOMPARE(c->result(), int(QDialog::Rejected));
        QCOMPARE(LastMessage(), QString("A caixa de edição deve conter um número positivo."));
        Equidistant("100", "110", "x");
        QCOMPARE(LastMessage(), QString("A caixa de edição contém um número inválido."));
        QCOMPARE(ListBox1()->count(), 2);

        // OK with an empty list.
        d->FormShow();
        d->setResult(QDialog::Rejected);
        d->btOkExibeMapaClick();
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(LastMessage(), QString("Você deve indicar pelo menos uma curva de nível. Deseja fazê-lo agora?"));
    }

    void keysAddDeleteAndFilter()
    {
        Document(3, {100, 102, 104, 106, 108, 110});
        d->FormShow();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        edCurva()->setFocus();
        QTest::keyClicks(edCurva(), "10a4.5");
        QCOMPARE(edCurva()->text(), QString("104,5"));
        QTest::keyClick(edCurva(), '+');
        QCOMPARE(Listed(), QStringList{"104,5"});
        QCOMPARE(edCurva()->text(), QString("104,5"));  // the key went to the dialog, not the box
        edCurva()->clear();
        QTest::keyClicks(edCurva(), "102");
        QTest::keyClick(edCurva(), Qt::Key_Backspace);
        QTest::keyClicks(edCurva(), "6");
        QTest::keyClick(edCurva(), '+');
        QCOMPARE(Listed(), (QStringList{"104,5", "106"}));
        QCOMPARE(ListBox1()->currentItem()->text(), QString("106"));

        // "-" deletes the selected level, also from the list.
        ListBox1()->setFocus();
        QTest::keyClick(ListBox1(), '-');
        QCOMPARE(Listed(), QStringList{"104,5"});
        QCOMPARE(ListBox1()->currentItem()->text(), QString("104,5"));
        QCOMPARE(edCurva()->text(), QString("106"));
        d->hide();
    }

    void deleteKeepsThePositionAndClickCopies()
    {
        Document(3, {100, 102, 104, 106, 108, 110});
        d->FormShow();
        d->btDelCurvaClick();  // nothing to delete
        for (const char* t : {"101", "102", "103", "104"})
            Add(t);
        ListBox1()->setCurrentRow(1);  // as a click: the box takes the text
        QCOMPARE(edCurva()->text(), QString("102"));
        d->btDelCurvaClick();
        QCOMPARE(Listed(), (QStringList{"101", "103", "104"}));
        QCOMPARE(ListBox1()->currentRow(), 1);
        ListBox1()->setCurrentRow(2);
        d->btDelCurvaClick();
        QCOMPARE(Listed(), (QStringList{"101", "103"}));
        QCOMPARE(ListBox1()->currentRow(), 1);
        ListBox1()->clearSelection();
        d->btDelCurvaClick();
        QCOMPARE(ListBox1()->count(), 2);
    }

    void pointSeparatorLocale()
    {
        QVERIFY(CloseFrame());
        QVERIFY(StartFrame(QLocale::c()));
        d = CreateAltimetricDialogs(*frame);
        c = frame->State().DefCurvas.data();
        Document(2, {100.3f, 101, 102, 103.7f});
        d->FormShow();
        QCOMPARE(Control<QLabel>(d, "Label5")->text(), QString("100.300"));
        QVERIFY(!FilterNumberKey(edCurva(), '\b'));
        edCurva()->clear();
        for (QChar k : QString("101,25"))
            QVERIFY(FilterNumberKey(edCurva(), k));
        QCOMPARE(edCurva()->text(), QString("101.25"));
        d->btAddCurvaClick();
        Equidistant();
        QCOMPARE(Control<QLineEdit>(c, "Edit3")->text(), QString("0.5"));
        QCOMPARE(Listed().first(), QString("100.5"));
        QVERIFY(Listed().contains("101.25"));
        d->btOkExibeMapaClick();
        QCOMPARE(frame->State().ContourRequest.LevelCount, 8);
        QCOMPARE(double(frame->State().ContourRequest.Levels[2]), 101.25);
    }
};

QTEST_MAIN(TestLevelDialogs)
#include "test_level_dialogs.moc"
