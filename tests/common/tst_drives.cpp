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
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("drive letter") << QStringList() << "C:\\Automacao\\Resposta.txt"
                                      << "C/Automacao/Resposta.txt";
        QTest::newRow("lower-case drive letter") << QStringList() << "c:\\x"
                                                 << "C/x";
        QTest::newRow("other drive") << QStringList() << "D:\\dados\\BOMBA01.DBF"
                                     << "D/dados/BOMBA01.DBF";
        QTest::newRow("trailing separator") << QStringList() << "C:\\Quorvan\\AutoQuorvanNolvex\\"
                                            << "C/Quorvan/AutoQuorvanNolvex";
        QTest::newRow("file in another case")
            << QStringList { "C/Automacao/SOLICITACAO.TXT" } << "C:\\Automacao\\Solicitacao.txt"
            << "C/Automacao/SOLICITACAO.TXT";
        QTest::newRow("folder in another case")
            << QStringList { "C/wdn/Matriz/bomba01.dbf" } << "C:\\WDN\\matriz\\BOMBA01.DBF"
            << "C/wdn/Matriz/bomba01.dbf";
        QTest::newRow("exact name wins") << QStringList { "C/a/bomba01.dbf", "C/a/BOMBA01.DBF" } << "C:\\a\\BOMBA01.DBF"
                                         << "C/a/BOMBA01.DBF";
        QTest::newRow("ambiguous keeps the name as written")
            << QStringList { "C/a/bomba01.dbf", "C/a/Bomba01.dbf" } << "C:\\a\\BOMBA01.DBF"
            << "C/a/BOMBA01.DBF";
        QTest::newRow("missing file keeps its name") << QStringList { "C/Automacao/x" } << "C:\\AUTOMACAO\\Resposta.tmp"
                                                     << "C/Automacao/Resposta.tmp";
    }
    void mapsPaths()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : existing)
            TestFiles::write(root.filePath(file), "x");
        QCOMPARE(Drives(root.path()).toLocal(path), root.filePath(expected));
    }

    void usesPosixPathsAsTheyAre()
    {
        QTemporaryDir root;
        QCOMPARE(Drives(root.path()).toLocal(QStringLiteral("/srv/Pumps/BOMBA01.DBF")),
            QStringLiteral("/srv/Pumps/BOMBA01.DBF"));
    }

    // A pump database given as a POSIX path still meets tables that a Windows program named in
    // another case.
    void resolvesPosixPathsWithoutRegardToCase_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as written") << QStringList { "Pumps/BOMBA01.DBF" } << "Pumps/BOMBA01.DBF"
                                    << "Pumps/BOMBA01.DBF";
        QTest::newRow("file in another case") << QStringList { "Pumps/bomba01.dbf" } << "Pumps/BOMBA01.DBF"
                                              << "Pumps/bomba01.dbf";
        QTest::newRow("folder in another case") << QStringList { "pumps/x" } << "PUMPS/BOMBA01.DBF"
                                                << "pumps/BOMBA01.DBF";
        QTest::newRow("missing keeps the name") << QStringList() << "Pumps/BOMBA01.DBF"
                                                << "Pumps/BOMBA01.DBF";
    }
    void resolvesPosixPathsWithoutRegardToCase()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : existing)
            TestFiles::write(root.filePath(file), "x");
        QCOMPARE(Drives(QStringLiteral("/nowhere")).toLocal(root.filePath(path)), root.filePath(expected));
    }

    void resolvesRelativePathsFromTheCurrentFolder()
    {
        QTemporaryDir root;
        TestFiles::write(root.filePath(QStringLiteral("C/dados/bomba01.dbf")), "x");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Drives(root.path()).driveFolder(u'c')));
        const QString local = Drives(root.path()).toLocal(QStringLiteral("Dados\\BOMBA01.DBF"));
        QDir::setCurrent(previous);
        QCOMPARE(QFileInfo(local).canonicalFilePath(),
            QFileInfo(root.filePath(QStringLiteral("C/dados/bomba01.dbf"))).canonicalFilePath());
    }

    void rootComesFromTheEnvironment()
    {
        QTemporaryDir root;
        qputenv("AUTOQUORVAN_DRIVES", root.path().toLocal8Bit());
        QCOMPARE(Drives::fromEnvironment().root(), root.path());
        qunsetenv("AUTOQUORVAN_DRIVES");
        QVERIFY(Drives::fromEnvironment().root().endsWith(QStringLiteral("/AutoQuorvan/drives")));
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
