// Qt's own dialogs follow the user's language, while the program's message
// boxes keep their own titles and buttons whatever the language.
#include "app/Platform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using namespace nivora;

class TestTranslations : public QObject {
    Q_OBJECT

    static void RemoveTranslators()
    {
        for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }

    static QString LookInText()
    {
        QFileDialog d(nullptr, "Abrir");
        d.setOption(QFileDialog::DontUseNativeDialog);
        auto* label = d.findChild<QLabel*>("lookInLabel");
        return label ? label->text() : QString("(no label)");
    }

    static QStringList ButtonBoxTexts()
    {
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QStringList texts;
        for (QAbstractButton* b : box.buttons())
            texts << b->text();
        texts.sort();
        return texts;
    }

private slots:
    void cleanup() { RemoveTranslators(); }

    // The dialogs' texts by locale: Brazilian Portuguese translated, English
    // and the C locale as Qt writes them.
    void qtDialogsFollowTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("pt_BR") << QLocale(QLocale::Portuguese, QLocale::Brazil) << true
                               << "Procurar em:" << QStringList{"Cancelar", "OK"};
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << true
                               << "Look in:" << QStringList{"Cancel", "OK"};
        QTest::newRow("C") << QLocale::c() << false << "Look in:" << QStringList{"Cancel", "OK"};
    }
    void qtDialogsFollowTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, loaded);
        QFETCH(QString, lookIn);
        QFETCH(QStringList, buttons);
        QCOMPARE(InstallQtTranslations(locale), loaded);
        QCOMPARE(LookInText(), lookIn);
        QCOMPARE(ButtonBoxTexts(), buttons);
    }

    // The confirmation keeps its given title and buttons under Portuguese.
    void programMessagesKeepTheirTexts()
    {
        QVERIFY(InstallQtTranslations(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        InstallQtPlatform();
        QString title;
        QStringList texts;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                texts << b->text();
            box->reject();
        });
        QCOMPARE(Messages().Confirm(nullptr, "Você deseja salvar as alterações feitas?"), TAnswer::Cancel);
        QCOMPARE(title, QString("Confirm"));
        texts.sort();
        QCOMPARE(texts, (QStringList{"&No", "&Yes", "Cancel"}));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
