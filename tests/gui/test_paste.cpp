// Pasting through the real clipboard and a real Ctrl+V: what is stored, and
// the one warning that says how many fields were lost.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "grid/GridControl.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMimeData>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

class TestPaste : public QObject, public TFrameFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(StartFrame(QLocale::c())); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void pasteWarnsOnceOfLostFields_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("col");
        QTest::addColumn<float>("first");   // the elevation stored at the current cell
        QTest::addColumn<float>("fourth");  // and three cells to its right
        QTest::addColumn<QString>("warning");

        const QByteArray plain("text/plain");
        QTest::newRow("all read") << plain << QByteArray("1\t2\t3\t4,5\r\n") << 1 << 1.0f << 4.5f << QString();
        QTest::newRow("not numbers") << plain
                                     << QByteArray(
                                            "1.234,5\t9 m\t\xE2\x88\x92"
                                            "5\t4")
                                     << 1 << 0.0f << 4.0f
                                     << QString("3 campos colados não são números e ficaram sem cota.");
        QTest::newRow("one not a number") << plain << QByteArray("x\t\t\t4") << 1 << 0.0f << 4.0f
                                          << QString("1 campo colado não é um número e ficou sem cota.");
        QTest::newRow("outside the grid") << plain << QByteArray("7\t1\t2\t3") << 999 << 7.0f << 0.0f
                                          << QString(
                                                 "2 campos ficaram fora da grade (além da coluna ou da linha "
                                                 "1000) e foram ignorados.");
        QTest::newRow("both") << plain << QByteArray("m\t1\t2\t3") << 998 << 0.0f << 0.0f
                              << QString(
                                     "1 campo colado não é um número e ficou sem cota. 1 campo ficou fora da "
                                     "grade (além da coluna ou da linha 1000) e foi ignorado.");
        QTest::newRow("only line breaks") << plain << QByteArray("\r\n\r\n") << 1 << 5.0f << 0.0f
                                          << QString("A área de transferência não contém cotas para colar.");
        QTest::newRow("UTF-8 mark") << plain
                                    << QByteArray(
                                           "\xEF\xBB\xBF"
                                           "8\t\t\t9")
                                    << 1 << 8.0f << 9.0f << QString();
        QTest::newRow("UTF-16 only") << QByteArray("text/plain;charset=utf-16")
                                     << QByteArray(
                                            "\xFF\xFE"
                                            "8\0\t\0\t\0\t\0"
                                            "9\0",
                                            12)
                                     << 1 << 8.0f << 9.0f << QString();
    }

    void pasteWarnsOnceOfLostFields()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, bytes);
        QFETCH(int, col);
        QFETCH(float, first);
        QFETCH(float, fourth);
        QFETCH(QString, warning);

        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 5.0f, 5.0f);
        frame->ActivateChild(doc);
        doc->Terrain().SetCell(col, 2, 5.0f);
        doc->SetCurrentCell(col, 2);
        Control<TGridControl>(doc, "Grid")->setFocus();
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(format), bytes);
        QGuiApplication::clipboard()->setMimeData(mime);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);

        QCOMPARE(doc->Terrain().GetCell(col, 2), first);
        QCOMPARE(doc->Terrain().GetCell(col + 3, 2), fourth);
        QStringList warnings;
        for (const TShownMessage& m : recorder->Shown)
            warnings << m.Kind + ": " + m.Text;
        QCOMPARE(warnings, warning.isEmpty() ? QStringList() : QStringList{"Warning: " + warning});
    }
};

QTEST_MAIN(TestPaste)
#include "test_paste.moc"
