#include "common/drives.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestDrives : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mapsPaths_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("path"); // %R stands for the test's folder
        QTest::addColumn<QString>("expected");
        const QString bomba = QStringLiteral("C:\\a\\BOMBA01.DBF");
        QTest::newRow("drive letter") << QStringList() << "C:\\Automacao\\Resposta.txt"
                                      << "C/Automacao/Resposta.txt";
        QTest::newRow("lower-case letter, trailing separator") << QStringList() << "d:\\Quorvan\\"
                                                               << "D/Quorvan";
        QTest::newRow("file in another case") << QStringList { "C/a/bomba01.dbf" } << bomba << "C/a/bomba01.dbf";
        QTest::newRow("folder in another case") << QStringList { "C/WDN/x" } << "C:\\wdn\\B.DBF"
                                                << "C/WDN/B.DBF";
        QTest::newRow("exact name wins") << QStringList { "C/a/bomba01.dbf", "C/a/BOMBA01.DBF" } << bomba
                                         << "C/a/BOMBA01.DBF";
        QTest::newRow("ambiguous keeps the name as written")
            << QStringList { "C/a/bomba01.dbf", "C/a/Bomba01.dbf" } << bomba << "C/a/BOMBA01.DBF";
        QTest::newRow("posix path in another case") << QStringList { "p/bomba01.dbf" } << "%R/P/BOMBA01.DBF"
                                                    << "p/bomba01.dbf";
        QTest::newRow("relative to the current folder") << QStringList { "C/dados/bomba01.dbf" } << "Dados\\BOMBA01.DBF"
                                                        << "C/dados/bomba01.dbf";
    }
    void mapsPaths()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : existing)
            TestFiles::write(root.filePath(file), "x");
        const Drives drives(root.path());
        const QString previous = QDir::currentPath();
        QDir().mkpath(drives.driveFolder(u'C'));
        QDir::setCurrent(drives.driveFolder(u'C'));
        const QString local = drives.toLocal(path.replace(QStringLiteral("%R"), root.path()));
        QDir::setCurrent(previous);
        QCOMPARE(local, root.filePath(expected));
    }

    void rootComesFromTheEnvironment()
    {
        qputenv("AUTOQUORVAN_DRIVES", "/srv/postos");
        QCOMPARE(Drives::fromEnvironment().root(), QStringLiteral("/srv/postos"));
        qunsetenv("AUTOQUORVAN_DRIVES");
        QVERIFY(Drives::fromEnvironment().root().endsWith(QStringLiteral("/AutoQuorvan/drives")));
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
