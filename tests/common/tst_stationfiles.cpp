#include "common/codepage.h"
#include "common/drives.h"
#include "common/error.h"
#include "common/leini.h"
#include "common/textfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// The station's files as the system names and writes them: drives, Windows-1252 text, INI settings.
class TestStationFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mapsPaths_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("path"); // %R stands for the test's folder
        QTest::addColumn<QString>("expected");
        const char* bomba = "C:\\a\\BOMBA.DBF";
        row("drive letter", QStringList(), "C:\\Automacao\\Resposta.txt", "C/Automacao/Resposta.txt");
        row("lower-case letter, trailing separator", QStringList(), "d:\\Quorvan\\", "D/Quorvan");
        row("file in another case", QStringList { "C/a/bomba.dbf" }, bomba, "C/a/bomba.dbf");
        row("folder in another case", QStringList { "C/WDN/x" }, "C:\\wdn\\B.DBF", "C/WDN/B.DBF");
        row("exact name wins", QStringList { "C/a/bomba.dbf", "C/a/BOMBA.DBF" }, bomba, "C/a/BOMBA.DBF");
        row("ambiguous: the name as written", QStringList { "C/a/bomba.dbf", "C/a/Bomba.dbf" }, bomba, "C/a/BOMBA.DBF");
        row("posix path in another case", QStringList { "p/bomba.dbf" }, "%R/P/BOMBA.DBF", "p/bomba.dbf");
        row("relative to the current folder", QStringList { "C/dados/b.dbf" }, "Dados\\B.DBF", "C/dados/b.dbf");
    }
    void mapsPaths()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : existing)
            TestFiles::write(root.filePath(file), "x");
        qputenv("AUTOQUORVAN_DRIVES", QFile::encodeName(root.path()));
        const Drives drives = Drives::fromEnvironment();
        const QString previous = QDir::currentPath();
        QDir().mkpath(drives.driveFolder(u'C'));
        QDir::setCurrent(drives.driveFolder(u'C'));
        const QString local = drives.toLocal(path.replace(QStringLiteral("%R"), root.path()));
        QDir::setCurrent(previous);
        QCOMPARE(local, root.filePath(expected));
    }

    void codePageRoundTrips()
    {
        const QString text = QStringLiteral("Situação € ‰ ÿ");
        // With the round trip of every byte below, this also pins down how those bytes are read.
        QCOMPARE(Cp1252::encode(text), QByteArray("Situa\xE7\xE3o \x80 \x89 \xFF"));
        QCOMPARE(Cp1252::encode(QStringLiteral("a\u4E2D😀b")), QByteArray("a??b"));
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte += char(b);
        QCOMPARE(Cp1252::encode(Cp1252::decode(everyByte)), everyByte);
    }

    // Rows whose bytes are what writeLines makes of the lines are also written, over a longer file.
    void readsAndWritesLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("written");
        row("empty", QByteArray(), QStringList(), true);
        row("crlf, one byte per accent", QByteArray("a\r\nSitua\xE7\xE3o\r\n"), QStringList { "a", "Situação" }, true);
        row("blank lines kept", QByteArray("\r\n\r\nx\r\n"), QStringList { "", "", "x" }, true);
        row("lf alone", QByteArray("a\nb\n"), QStringList { "a", "b" }, false);
        row("last line without end", QByteArray("a\r\nb"), QStringList { "a", "b" }, false);
    }
    void readsAndWritesLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        TestFiles::write(path, bytes);
        QCOMPARE(TextFile::readLines(path), lines);
        if (written) {
            TestFiles::write(path, "old content that is longer than any row\r\n");
            TextFile::writeLines(path, lines);
            QCOMPARE(TestFiles::read(path), bytes);
        }
    }

    void failuresNameTheFile_data()
    {
        QTest::addColumn<int>("operation"); // read, write, append
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<int>("number");
        row("read missing file", 0, "f.txt", ErrorNumber::FileNotFound);
        row("read in missing folder", 0, "nao/f.txt", ErrorNumber::PathNotFound);
        row("write in missing folder", 1, "nao/f.txt", ErrorNumber::PathNotFound);
        row("append in missing folder", 2, "nao/f.txt", ErrorNumber::PathNotFound);
        row("write over read-only file", 1, "ro.txt", ErrorNumber::PermissionDenied);
    }
    void failuresNameTheFile()
    {
        QFETCH(int, operation);
        QFETCH(QString, relativePath);
        QFETCH(int, number);
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("ro.txt")), "x");
        QFile::setPermissions(dir.filePath(QStringLiteral("ro.txt")), QFileDevice::ReadOwner);
        const QString path = dir.filePath(relativePath);
        if (number == ErrorNumber::PermissionDenied && QFileInfo(path).isWritable())
            QSKIP("running with permission to write read-only files (root)");
        const std::function<void()> operations[]
            = { [&] { TextFile::readLines(path); }, [&] { TextFile::writeLines(path, { QStringLiteral("x") }); },
                  [&] { TextFile::appendLine(path, QStringLiteral("x")); } };
        try {
            operations[operation]();
            QFAIL("no error raised");
        } catch (const Error& error) {
            QCOMPARE(error.number(), number);
            QVERIFY2(error.description().contains(path), qPrintable(error.description()));
        }
    }

    void readsIniValues_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QByteArray station = "[LOCALIZACAO]\r\nLocal banco dados nolvex=C:\\wdn\\matriz\r\n"
                                   "Computador com automacao = posto01 \r\n[OUTRAS]\r\nQuantidade de Bicos=8\r\n"
                                   "Nome da Empresa=\"Auto Posto S\xE3o Jos\xE9\"\r\nAspas='sozinha\r\n";
        const auto ini = [](const char* content) { return QByteArray(content); };
        row("backslashes intact", station, "LOCALIZACAO", "Local banco dados nolvex", "C:\\wdn\\matriz");
        row("names without regard to case", station, "localizacao", "COMPUTADOR COM AUTOMACAO", "posto01");
        row("quotes removed, accents decoded", station, "OUTRAS", "Nome da Empresa", "Auto Posto São José");
        row("unmatched quote kept", station, "OUTRAS", "Aspas", "'sozinha");
        row("key of another section", station, "OUTRAS", "Computador com automacao", "");
        row("missing section", station, "GERAL", "Quantidade de Bicos", "");
        row("missing file", QByteArray(), "OUTRAS", "Quantidade de Bicos", "");
        row("lf line ends", ini("[OUTRAS]\nQuantidade de Bicos=4\n"), "OUTRAS", "Quantidade de Bicos", "4");
        row("last line without end", ini("[OUTRAS]\r\nQuantidade de Bicos=4"), "OUTRAS", "Quantidade de Bicos", "4");
        row("utf-8 byte-order mark", ini("\xEF\xBB\xBF[OUTRAS]\r\nNome=S\xC3\xA3o\r\n"), "OUTRAS", "Nome", "São");
        row("first of duplicated keys", ini("[OUTRAS]\r\nA=1\r\nA=2\r\n"), "OUTRAS", "A", "1");
        row("first of duplicated sections", ini("[OUTRAS]\r\nB=1\r\n[OUTRAS]\r\nA=2\r\n"), "OUTRAS", "A", "");
        row("line without equals is no key", ini("[OUTRAS]\r\nA\r\nA=3\r\n"), "OUTRAS", "A", "3");
        row("comment line", ini("[OUTRAS]\r\n;A=1\r\n"), "OUTRAS", ";A", "");
        row("value with equals sign", ini("[S]\r\nK=a=b\r\n"), "S", "K", "a=b");
        row("indented section and key", ini("  [ S ]\r\n\tK\t=\tv\r\n"), "S", "K", "v");
        row("cut to 254", "[S]\r\nK=" + QByteArray(300, 'x') + "\r\n", "S", "K", QString(254, u'x'));
    }
    void readsIniValues()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("AutoQuorvan.INI"));
        if (!content.isNull())
            TestFiles::write(path, content);
        QCOMPARE(RotinasGerais::LeIni(section, key, path), value);
    }
};

QTEST_GUILESS_MAIN(TestStationFiles)
#include "tst_stationfiles.moc"
