// Qt's own texts are in French whatever the system's language, the number format still follows
// the system's locale, and a machine without Qt's French catalogue still runs, in English.
#include "app/application.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString buttonText(QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox box(which);
    return box.button(which)->text();
}
}

class TestQtFrench : public QObject
{
    Q_OBJECT
private slots:
    void dialogButtonsInFrench()
    {
        QVERIFY2(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_fr.qm")),
                 "qtbase_fr.qm missing: install the Debian package qt6-translations-l10n (make test does)");
        QCOMPARE(QLocale::system().name(), QStringLiteral("C")); // the system speaks English
        QCOMPARE(buttonText(QDialogButtonBox::Cancel), QStringLiteral("Annuler"));
        QCOMPARE(buttonText(QDialogButtonBox::Close), QStringLiteral("Fermer"));

        QMessageBox box(QMessageBox::Question, QStringLiteral("PLL"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Oui"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Non"));
        // The print dialog's texts come from the same catalogue.
        QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Imprimer"));
    }

    // The readouts format their numbers with the default locale: translating Qt must not move it.
    void numberFormatFollowsTheSystem()
    {
        QCOMPARE(QLocale().name(), QStringLiteral("C"));
        QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    }

    void missingCatalogueLeavesEnglish()
    {
        auto *app = static_cast<PllApplication *>(QCoreApplication::instance());
        const QTemporaryDir empty;
        QVERIFY(!app->loadQtTranslations(empty.path()));
        QCOMPARE(buttonText(QDialogButtonBox::Cancel), QStringLiteral("Cancel"));
        // Loading from Qt's folder again brings French back.
        QVERIFY(app->loadQtTranslations());
        QCOMPARE(buttonText(QDialogButtonBox::Cancel), QStringLiteral("Annuler"));
    }
};

int main(int argc, char **argv)
{
    // An English-speaking system: the French must come from the program, not from the machine.
    qputenv("LC_ALL", "C");
    qunsetenv("LANGUAGE");
    PllApplication app(argc, argv);
    TestQtFrench test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qt_french.moc"
