// "Propriedades do Projeto...": the georeference of the active document set,
// changed and cleared by typing in the dialog; codes and numbers it refuses
// keep the dialog open with what was typed; Cancel and Esc change nothing;
// the saved file keeps what OK set.

#include "GuiTestSupport.h"
#include "app/HelpViewer.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "data/SaveOpen.h"
#include "data/SaveOpenCommands.h"
#include "data/uPropriedades.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace nivora;
using namespace nivora::testing;

namespace {

TGeoreference Georef(std::int32_t epsg, double e, double n, bool south = true)
{
    TGeoreference g;
    g.Epsg = epsg;
    g.CornerEasting = e;
    g.CornerNorthing = n;
    g.RowsRunSouth = south;
    return g;
}

QString Describe(const std::optional<TGeoreference>& g)
{
    if (!g)
        return "none";
    return QString("EPSG %1, E %2, N %3, %4")
        .arg(g->Epsg)
        .arg(g->CornerEasting, 0, 'g', 17)
        .arg(g->CornerNorthing, 0, 'g', 17)
        .arg(g->RowsRunSouth ? "south" : "north");
}

}  // namespace

class TestProjectProperties : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TPropriedades* Dialog() const { return FrameControl<TPropriedades>("Propriedades"); }
    QLineEdit* Field(const char* name) const { return Control<QLineEdit>(Dialog(), name); }
    QString SystemText() const { return Control<QLabel>(Dialog(), "lbSistema")->text(); }

    TForm2* NewDocument()
    {
        CreateDocument(frame.get(), QString(), 20, 20, 10, 10, 0, 0);
        return ActiveDocument();
    }

    TForm2* SavedDocument(const QString& file, const std::optional<TGeoreference>& georeference)
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 100);
        doc->Terrain().SetGeoreference(georeference);
        recorder->SaveNames = {file};
        if (!SaveProject(doc) || !doc->Terrain().Saved())
            return nullptr;
        return doc;
    }

    // Runs the command; `user` acts in the shown dialog. The dialog's result.
    int Run(const std::function<void()>& user) { return RunDialog(Item("mnPropriedades"), user); }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemClosesTheFileCommandsAndNeedsADocument()
    {
        // As in most programs: the last group before "Sair".
        const QList<QAction*> items = Menu("File1")->actions();
        const qsizetype at = items.indexOf(Item("mnPropriedades"));
        QVERIFY(at > items.indexOf(Item("mnExportarPDF")));
        QVERIFY(items.value(at - 1)->isSeparator());
        QCOMPARE(items.value(at + 1)->objectName(), QString("N1"));
        QCOMPARE(items.value(at + 2), Item("FileExitItem"));
        QCOMPARE(Item("mnPropriedades")->text(), QString("Pr&opriedades do Projeto..."));
        QVERIFY(!Item("mnPropriedades")->isEnabled());
        TForm2* doc = NewDocument();
        QVERIFY(Item("mnPropriedades")->isEnabled());
        doc->Terrain().SetSaved(true);
        doc->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        QVERIFY(!Item("mnPropriedades")->isEnabled());
        Item("mnPropriedades")->trigger();
        QVERIFY(!recorder->DialogsRun.contains("Propriedades"));
    }

    void typingSetsChangesAndClearsTheGeoreference()
    {
        TForm2* doc = NewDocument();
        auto* model = Control<QAbstractItemModel>(doc, "Model");
        QSignalSpy headers(model, &QAbstractItemModel::headerDataChanged);
        // Not georeferenced: the fields wait for the box to be checked.
        QCOMPARE(Run([&] {
                     auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
                     QVERIFY(!box->isChecked());
                     QVERIFY(!Field("edEste")->isEnabled());
                     box->setFocus();
                     QTest::keyClick(box, Qt::Key_Space);
                     QVERIFY(Field("edEste")->isEnabled());
                     Retype(Field("edEpsg"), "31982");
                     QCOMPARE(SystemText(), QString("SIRGAS 2000 / UTM zone 22S"));
                     Retype(Field("edEste"), "331200,5");
                     // A key that makes no number is not taken.
                     Retype(Field("edNorte"), "6674800x,25");
                     QCOMPARE(Field("edNorte")->text(), QString("6674800,25"));
                     QCOMPARE(Control<QLabel>(Dialog(), "lbCanto")->text(),
                              QString("Piquete (20, 20): E = 331390,5; N = 6674610,25"));
                     QTest::keyClick(Field("edNorte"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference), Describe(Georef(31982, 331200.5, 6674800.25)));
        QVERIFY(!doc->Terrain().Saved());
        // The grid's headers are redrawn with the stakes' coordinates.
        QCOMPARE(headers.count(), 2);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("331210,5"));
        QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QString("6674790,25"));

        // Changed: the fields show what is set, in double precision; another
        // code (as the databases write it), a far northing, rows running north.
        QCOMPARE(Run([&] {
                     QCOMPARE(Field("edEpsg")->text(), QString("31982"));
                     QCOMPARE(Field("edEste")->text(), QString("331200,5"));
                     QCOMPARE(Field("edNorte")->text(), QString("6674800,25"));
                     QVERIFY(Control<QRadioButton>(Dialog(), "rbSul")->isChecked());
                     Retype(Field("edEpsg"), "EPSG:31983");
                     QCOMPARE(SystemText(), QString("SIRGAS 2000 / UTM zone 23S"));
                     Retype(Field("edEste"), "312000,123456789");
                     Retype(Field("edNorte"), "9100002,5");
                     auto* north = Control<QRadioButton>(Dialog(), "rbNorte");
                     north->setFocus();
                     QTest::keyClick(north, Qt::Key_Space);
                     QTest::keyClick(north, Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference),
                 Describe(Georef(31983, 312000.123456789, 9100002.5, false)));

        // OK on what is shown changes nothing, to the last bit.
        QCOMPARE(Run([&] {
                     QCOMPARE(Field("edEste")->text(), QString("312000,123456789"));
                     QTest::keyClick(Field("edEste"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference),
                 Describe(Georef(31983, 312000.123456789, 9100002.5, false)));

        // No code: the corner is kept in a system not named.
        QCOMPARE(Run([&] {
                     Retype(Field("edEpsg"), "");
                     QVERIFY(SystemText().startsWith("Sistema não informado"));
                     QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference),
                 Describe(Georef(0, 312000.123456789, 9100002.5, false)));

        // Cleared.
        QCOMPARE(Run([&] {
                     auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
                     box->setFocus();
                     QTest::keyClick(box, Qt::Key_Space);
                     QVERIFY(!Field("edEpsg")->isEnabled());
                     QTest::keyClick(box, Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference), QString("none"));
    }

    // A project typed by hand at real coordinates: checking the box proposes
    // its stake (1, 1), with the rows running north as its Y does.
    void theProjectsOwnCoordinatesAreProposed()
    {
        CreateDocument(frame.get(), QString(), 20, 20, 10, 10, 312000.0f, 7455000.0f);
        TForm2* doc = ActiveDocument();
        QCOMPARE(Run([&] {
                     auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
                     box->setFocus();
                     QTest::keyClick(box, Qt::Key_Space);
                     QCOMPARE(Field("edEste")->text(), QString("312000"));
                     QCOMPARE(Field("edNorte")->text(), QString("7455000"));
                     QVERIFY(Control<QRadioButton>(Dialog(), "rbNorte")->isChecked());
                     QCOMPARE(Dialog()->focusWidget(), Field("edEste"));
                     QCOMPARE(Control<QLabel>(Dialog(), "lbCanto")->text(),
                              QString("Piquete (20, 20): E = 312190; N = 7455190"));
                     QTest::keyClick(Field("edEste"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference), Describe(Georef(0, 312000, 7455000, false)));
    }

    void refusedInputKeepsTheDialogOpenWithWhatWasTyped_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("correction");
        QTest::newRow("geographic system") << "edEpsg"
                                           << "4326"
                                           << "EPSG:4326 (WGS 84) não é um sistema projetado em metros; escolha um "
                                              "sistema UTM, por exemplo SIRGAS 2000 / UTM."
                                           << "31982";
        QTest::newRow("unknown code") << "edEpsg"
                                      << "99999"
                                      << "EPSG:99999 não é um sistema de coordenadas conhecido."
                                      << "31982";
        QTest::newRow("a prefix alone") << "edEpsg"
                                        << "EPSG:"
                                        << "O código EPSG deve ser um número inteiro positivo, por exemplo 31982."
                                        << "31982";
        QTest::newRow("no easting") << "edEste"
                                    << ""
                                    << "A caixa de edição não pode ficar vazia."
                                    << "1";
        QTest::newRow("a sign alone") << "edNorte"
                                      << "-"
                                      << "A caixa de edição contém um número inválido."
                                      << "1";
        QTest::newRow("far beyond the Earth") << "edNorte"
                                              << "2E15"
                                              << "As coordenadas do piquete (1, 1) devem ficar entre -10^15 e 10^15 m."
                                              << "1";
    }

    void refusedInputKeepsTheDialogOpenWithWhatWasTyped()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, correction);
        const TGeoreference before = Georef(31982, 331200, 6674800);
        TForm2* doc = SavedDocument(TempFolder("properties_refused") + "/CAMPO.NVR", before);
        QVERIFY(doc);
        QCOMPARE(Run([&] {
                     Retype(Field("edNorte"), "7455000");
                     Retype(Field(field.toLatin1().constData()), typed);
                     if (field == "edEpsg" && typed != "EPSG:")
                         QCOMPARE(SystemText(), message);  // said while typing, too
                     QTest::keyClick(Field(field.toLatin1().constData()), Qt::Key_Return);
                     QCOMPARE(recorder->Shown.size(), std::size_t(1));
                     QCOMPARE(recorder->Shown[0].Text, message);
                     QVERIFY(Dialog()->isVisible());
                     QCOMPARE(Dialog()->result(), 0);
                     // Nothing typed is lost, and the field at fault has the focus.
                     QCOMPARE(Field(field.toLatin1().constData())->text(), typed);
                     if (field != "edNorte")
                         QCOMPARE(Field("edNorte")->text(), QString("7455000"));
                     QCOMPARE(Dialog()->focusWidget(), Field(field.toLatin1().constData()));
                     QCOMPARE(Describe(doc->Terrain().Extension().Georeference), Describe(before));
                     QVERIFY(doc->Terrain().Saved());
                     Retype(Field(field.toLatin1().constData()), correction);
                     QTest::keyClick(Field(field.toLatin1().constData()), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QVERIFY(doc->Terrain().Extension().Georeference);
        QCOMPARE(doc->Terrain().Extension().Georeference->CornerNorthing, field == "edNorte" ? 1.0 : 7455000.0);
        QVERIFY(!doc->Terrain().Saved());
    }

    // A file may name a system this machine's database does not know: the
    // dialog says so, but keeps the code while the corner is changed.
    void aCodeTheProjectAlreadyHasIsKept()
    {
        TForm2* doc = SavedDocument(TempFolder("properties_kept") + "/CAMPO.NVR", Georef(99999, 1000, 2000));
        QVERIFY(doc);
        QCOMPARE(Run([&] {
                     QCOMPARE(SystemText(), QString("EPSG:99999 não é um sistema de coordenadas conhecido."));
                     Retype(Field("edEste"), "1500");
                     QTest::keyClick(Field("edEste"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference), Describe(Georef(99999, 1500, 2000)));
        // Another unknown code is refused all the same.
        QCOMPARE(Run([&] {
                     Retype(Field("edEpsg"), "99998");
                     QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
                     QCOMPARE(recorder->Shown.size(), std::size_t(1));
                     QTest::keyClick(Field("edEpsg"), Qt::Key_Escape);
                 }),
                 int(QDialog::Rejected));
        QCOMPARE(doc->Terrain().Extension().Georeference->Epsg, 99999);
    }

    void cancelAndEscChangeNothing()
    {
        const TGeoreference before = Georef(31982, 331200.5, 6674800);
        TForm2* doc = SavedDocument(TempFolder("properties_cancel") + "/CAMPO.NVR", before);
        QVERIFY(doc);
        const auto edit = [&] {
            Retype(Field("edEpsg"), "31983");
            Retype(Field("edEste"), "1");
            auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        };
        QCOMPARE(Run([&] {
                     edit();
                     QTest::keyClick(Field("edEste"), Qt::Key_Escape);
                 }),
                 int(QDialog::Rejected));
        QCOMPARE(Run([&] {
                     edit();
                     QTest::mouseClick(Control<QPushButton>(Dialog(), "BitBtn2"), Qt::LeftButton);
                 }),
                 int(QDialog::Rejected));
        QCOMPARE(Describe(doc->Terrain().Extension().Georeference), Describe(before));
        QVERIFY(doc->Terrain().Saved());
        // The next use starts again from the document, not from what was typed.
        Run([&] {
            QCOMPARE(Field("edEste")->text(), QString("331200,5"));
            QVERIFY(Control<QCheckBox>(Dialog(), "cbGeorreferenciado")->isChecked());
        });
    }

    void theSavedFileKeepsWhatOkSet()
    {
        const QString folder = TempFolder("properties_file");
        TForm2* doc = SavedDocument(folder + "/CAMPO.NVR", std::nullopt);
        QVERIFY(doc);
        Run([&] {
            auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
            Retype(Field("edEpsg"), "31982");
            Retype(Field("edEste"), "312000,25");
            Retype(Field("edNorte"), "9100007,5");
            QTest::keyClick(Field("edNorte"), Qt::Key_Return);
        });
        recorder->SaveNames = {folder + "/GEO.NVR"};
        Item("mnSalvarComo")->trigger();
        QVERIFY(doc->Terrain().Saved());
        const TLoadedProject read = LoadProjectFile((folder + "/GEO.NVR").toStdString());
        QCOMPARE(Describe(read.Terrain->Extension().Georeference), Describe(Georef(31982, 312000.25, 9100007.5)));
        QCOMPARE(read.Terrain->GetCell(1, 1), 100.0f);

        // Opened again, the dialog shows it; cleared and saved, the file has
        // exactly the bytes of a project never georeferenced.
        doc->close();
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        recorder->OpenNames = {folder + "/GEO.NVR"};
        Item("mnAbrir")->trigger();
        QVERIFY(ActiveDocument());
        Run([&] {
            QCOMPARE(Field("edNorte")->text(), QString("9100007,5"));
            auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!ActiveDocument()->Terrain().Saved());
        Item("mnSalvar")->trigger();
        QFile plain(folder + "/CAMPO.NVR"), cleared(folder + "/GEO.NVR");
        QVERIFY(plain.open(QIODevice::ReadOnly) && cleared.open(QIODevice::ReadOnly));
        QCOMPARE(cleared.readAll(), plain.readAll());
    }

    // The undo history holds the elevations only; undoing an edit back to
    // the saved cells must not pass a changed georeference for saved.
    void undoingBackToTheSavedCellsKeepsAChangedGeoreferenceUnsaved()
    {
        TForm2* doc = SavedDocument(TempFolder("properties_undo") + "/CAMPO.NVR", std::nullopt);
        QVERIFY(doc);
        Run([&] {
            auto* box = Control<QCheckBox>(Dialog(), "cbGeorreferenciado");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
            Retype(Field("edEste"), "500000");
            Retype(Field("edNorte"), "7000000");
            QTest::keyClick(Field("edNorte"), Qt::Key_Return);
        });
        QVERIFY(doc->Terrain().Extension().Georeference);
        QVERIFY(!doc->Terrain().Saved());
        doc->SetCurrentCell(2, 2);
        QVERIFY(Type("5"));
        QVERIFY(Key(Qt::Key_Return));
        QCOMPARE(doc->Terrain().GetCell(2, 2), 5.0f);
        QVERIFY(frame->DispatchShortcut(Item("mnDesfazer")));
        QCOMPARE(doc->Terrain().GetCell(2, 2), 0.0f);
        QVERIFY(!doc->Terrain().Saved());
        // Saved now, the same undo and redo come back to a saved document.
        Item("mnSalvar")->trigger();
        QVERIFY(doc->Terrain().Saved());
        QVERIFY(frame->DispatchShortcut(Item("mnRefazer")));
        QVERIFY(!doc->Terrain().Saved());
        QVERIFY(frame->DispatchShortcut(Item("mnDesfazer")));
        QVERIFY(doc->Terrain().Saved());
    }

    void helpHasTheDialogsTopic()
    {
        NewDocument();
        frame->State().HelpFile = NIVORA_HELP_FILE;
        Run([&] {
            QCOMPARE(Dialog()->property("HelpContext").toInt(), 71);
            // F1 in a field opens the help beside the dialog.
            QTest::keyClick(Field("edEpsg"), Qt::Key_F1);
            QVERIFY(frame->State().HelpViewer);
            QVERIFY(frame->State().HelpViewer->isVisible());
            frame->State().HelpViewer->close();
        });
        QCOMPARE(Item("mnPropriedades")->property("HelpContext").toInt(), 71);
        QFile help(NIVORA_HELP_FILE);
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(help.readAll());
        QVERIFY(text.contains("<li><a href=\"#ctx-71\">Propriedades do projeto</a></li>"));
        QVERIFY(text.contains("<h2 id=\"ctx-71\"><a name=\"ctx-71\"></a>Propriedades do projeto</h2>"));
    }
};

QTEST_MAIN(TestProjectProperties)
#include "test_project_properties.moc"
