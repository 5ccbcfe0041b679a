// The import dialog of survey points: what it detects and proposes, the
// live summary, typing a spacing, and the document OK makes; bad input
// stays in the dialog with its message.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "grid/datagrid.h"
#include "survey/uImportaPontos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QRegularExpression>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <sys/stat.h>

using namespace nivora;
using namespace nivora::testing;

class TestImportPoints : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    std::unique_ptr<TImportaPontos> dialog;

    QString Write(const QString& name, const QByteArray& text)
    {
        const QString path = TempFolder("import_points") + "/" + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }

    // Replaces the field's text by typing, as a person would.
    [[nodiscard]] bool Retype(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        return Type(text);
    }

    QString Summary() const { return Control<QPlainTextEdit>(dialog.get(), "memResumo")->toPlainText(); }

private slots:
    void init()
    {
        QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        dialog = std::make_unique<TImportaPontos>(frame.get());
        dialog->show();
    }

    void cleanup()
    {
        dialog.reset();
        QVERIFY(CloseFrame());
    }

    void theMenuItemFollowsOpen()
    {
        const QList<QAction*> items = Menu("File1")->actions();
        QCOMPARE(items.indexOf(Item("mnImportarPontos")), items.indexOf(Item("mnAbrir")) + 1);
        QCOMPARE(Item("mnImportarPontos")->text(), QString("Importar &Pontos..."));
    }

    void theSampleSurveyBecomesAnUnsavedGridInSurveyCoordinates()
    {
        QVERIFY(dialog->LoadFile(NIVORA_EXAMPLES_DIR "/PONTOS.csv"));
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbSeparador")->currentText(), QString("Ponto e vírgula"));
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbDecimal")->currentText(), QString("Vírgula"));
        QCOMPARE(Control<QSpinBox>(dialog.get(), "spCabecalho")->value(), 1);
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbNome")->currentData().toInt(), 0);
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbE")->currentText(), QString("Coluna 2 (Este)"));
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbN")->currentData().toInt(), 2);
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbZ")->currentData().toInt(), 3);
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbCodigo")->currentData().toInt(), 4);
        QVERIFY(!Control<QCheckBox>(dialog.get(), "cbGraus")->isChecked());
        // About 13 m between points: 10 m, from the south-west corner.
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edLx")->text(), QString("10"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edOrigemX")->text(), QString("331200"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edOrigemY")->text(), QString("6674800"));
        // The limits from the survey's spacing: triangles' sides up to 52 m.
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edDistancia")->text(), QString("32"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edLado")->text(), QString("52"));
        QVERIFY2(Summary().contains("700 pontos lidos de 700 linhas de dados."), qPrintable(Summary()));
        // The grid is summed up a moment later, away from the typing.
        QTRY_VERIFY2(Summary().contains("Grade de 41 × 31 piquetes;"), qPrintable(Summary()));

        // A coarser grid: Y follows X, the origin stays.
        QVERIFY(Retype(Control<QLineEdit>(dialog.get(), "edLx"), "20"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edLy")->text(), QString("20"));
        // The limits stay the survey's: a coarser grid does not widen them.
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edDistancia")->text(), QString("32"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edLado")->text(), QString("52"));
        QCOMPARE(Control<QLineEdit>(dialog.get(), "edOrigemX")->text(), QString("331200"));
        QTRY_VERIFY2(Summary().contains("Grade de 21 × 16 piquetes;"), qPrintable(Summary()));

        QTest::mouseClick(Control<QPushButton>(dialog.get(), "BitBtn1"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        QVERIFY(ActiveDocument());
        TTerreno& t = ActiveDocument()->Terrain();
        QCOMPARE(t.ColCount(), 21);
        QCOMPARE(t.RowCount(), 16);
        QCOMPARE(static_cast<double>(static_cast<long double>(t.Lx())), 20.0);
        // North up, local coordinates; the survey's in the georeference.
        QCOMPARE(t.StakeX(1), 0.0f);
        QCOMPARE(t.StakeY(1), 0.0f);
        QVERIFY(t.Extension().Georeference);
        QCOMPARE(t.Extension().Georeference->CornerEasting, 331200.0);
        QCOMPARE(t.Extension().Georeference->CornerNorthing, 6675100.0);
        QVERIFY(t.GetCell(1, 16) > 41.7f && t.GetCell(1, 16) < 41.9f);
        QCOMPARE(t.GetCell(21, 1), 0.0f);  // the yard that was not surveyed
        QVERIFY(!t.Saved());
        QVERIFY(ActiveDocument()->windowTitle().startsWith("AREA-"));
    }

    void aFifoOrADeviceIsRefusedAtOnce()
    {
        const QString fifo = TempFolder("import_points") + "/pontos.fifo";
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {fifo, QString("/dev/zero")}) {
            recorder->Shown.clear();
            recorder->OpenNames = {path};
            const qsizetype dialogsRun = recorder->DialogsRun.size();
            QElapsedTimer clock;
            clock.start();
            Item("mnImportarPontos")->trigger();
            QVERIFY(clock.elapsed() < 5000);
            QCOMPARE(recorder->Shown.size(), std::size_t(1));
            QCOMPARE(recorder->Shown[0].Kind, QString("Error"));
            QVERIFY2(recorder->Shown[0].Text.endsWith(": não é um arquivo comum."),
                     qPrintable(recorder->Shown[0].Text));
            QCOMPARE(recorder->DialogsRun.size(), dialogsRun);
            QCOMPARE(frame->OpenDocumentCount(), 0);
        }
        QFile::remove(fifo);
    }

    void badInputIsShownAndOkMakesNothing()
    {
        QVERIFY(dialog->LoadFile(Write("poucos.txt", "P1;0;0;10\nP2;100;0;11\nP3;0;100;12\nlixo\nP5;50;50\n")));
        QVERIFY2(Summary().contains("2 linhas recusadas:\n  linha 4: falta a coluna E\n  linha 5: falta a coluna Z"),
                 qPrintable(Summary()));
        QVERIFY(Retype(Control<QLineEdit>(dialog.get(), "edLx"), "0,05"));
        QTRY_VERIFY2(Summary().contains("mais que o máximo de 1000 × 1000. Um espaçamento de 0,2 m"),
                     qPrintable(Summary()));
        QTest::mouseClick(Control<QPushButton>(dialog.get(), "BitBtn1"), Qt::LeftButton);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QCOMPARE(recorder->Shown[0].Kind, QString("Error"));
        QVERIFY(recorder->Shown[0].Text.startsWith("Com o espaçamento de 0,05 × 0,05 m a grade teria 2001 × 2001"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(frame->OpenDocumentCount(), 0);

        QVERIFY(dialog->LoadFile(Write("linha.txt", "1 0 0 10\n2 10 10 11\n3 20 20 12\n")));
        QTest::mouseClick(Control<QPushButton>(dialog.get(), "BitBtn1"), Qt::LeftButton);
        QCOMPARE(recorder->Shown.back().Text,
                 QString("Os pontos estão todos sobre uma linha e não descrevem uma superfície."));
        QCOMPARE(frame->OpenDocumentCount(), 0);
    }

    // Every underlined letter of the dialog reaches one control: Alt and the
    // letter acts on it at once instead of moving between namesakes.
    void eachUnderlinedLetterReachesOneControl()
    {
        QMap<QChar, QStringList> owners;
        const auto note = [&](const QString& text) {
            const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
            if (at >= 0)
                owners[text.at(at + 1).toLower()] << text;
        };
        for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            note(b->text());
        for (const QGroupBox* g : dialog->findChildren<QGroupBox*>())
            note(g->title());
        for (const QLabel* l : dialog->findChildren<QLabel*>())
            if (l->buddy())
                note(l->text());
        for (auto it = owners.cbegin(); it != owners.cend(); ++it)
            QVERIFY2(it->size() == 1, qPrintable(it->join(" / ")));
        QVERIFY(owners.size() >= 9);

        QVERIFY(
            dialog->LoadFile(Write("graus.txt", "P1;-51.10;-28.20;10\nP2;-51.09;-28.20;11\nP3;-51.10;-28.19;12\n")));
        auto* degrees = Control<QCheckBox>(dialog.get(), "cbGraus");
        QVERIFY(degrees->isChecked());
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(!degrees->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(Control<QRadioButton>(dialog.get(), "rbProximo")->isChecked());
    }
};

QTEST_MAIN(TestImportPoints)
#include "test_import_points.moc"
