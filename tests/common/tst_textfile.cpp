#include "common/codepage.h"
#include "common/error.h"
#include "common/textfile.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTextFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void codePageRoundTrips()
    {
        const QString text = QStringLiteral("Concluída não € ‰ ÿ");
        const QByteArray bytes = Cp1252::encode(text);
        QCOMPARE(bytes,
            QByteArray("Conclu\xED"
                       "da n\xE3o \x80 \x89 \xFF"));
        QCOMPARE(Cp1252::decode(bytes), text);
        QCOMPARE(Cp1252::encode(QStringLiteral("a\u4E2D😀b")), QByteArray("a??b"));
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte += char(b);
        QCOMPARE(Cp1252::encode(Cp1252::decode(everyByte)), everyByte);
    }

    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList { "a", "b" };
        QTest::newRow("lf alone") << QByteArray("a\nb\n") << QStringList { "a", "b" };
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList { "a", "b" };
        QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx") << QStringList { "", "", "x" };
        QTest::newRow("accents") << QByteArray("Conclu\xED"
                                               "da")
                                 << QStringList { QStringLiteral("Concluída") };
    }
    void readsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("f.txt")), bytes);
        QCOMPARE(TextFile::readLines(dir.filePath(QStringLiteral("f.txt"))), lines);
    }

    void writesAndAppends()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        TestFiles::write(path, "old content that is longer\r\n");
        TextFile::writeLines(path, { QStringLiteral("[RETORNO]"), QStringLiteral("Situação") });
        QCOMPARE(TestFiles::read(path), QByteArray("[RETORNO]\r\nSitua\xE7\xE3o\r\n"));
        TextFile::appendLine(path, QStringLiteral("mais"));
        QCOMPARE(TestFiles::read(path), QByteArray("[RETORNO]\r\nSitua\xE7\xE3o\r\nmais\r\n"));
    }

    void failuresNameTheFile_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<int>("number");
        QTest::newRow("read missing file") << 0 << "f.txt" << ErrorNumber::FileNotFound;
        QTest::newRow("read in missing folder") << 0 << "nao/f.txt" << ErrorNumber::PathNotFound;
        QTest::newRow("write in missing folder") << 1 << "nao/f.txt" << ErrorNumber::PathNotFound;
        QTest::newRow("append in missing folder") << 2 << "nao/f.txt" << ErrorNumber::PathNotFound;
        QTest::newRow("write over read-only file") << 1 << "ro.txt" << ErrorNumber::PermissionDenied;
    }
    void failuresNameTheFile()
    {
        QFETCH(int, operation);
        QFETCH(QString, relativePath);
        QFETCH(int, number);
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("ro.txt")), "x");
        QFile::setPermissions(dir.filePath(QStringLiteral("ro.txt")), QFileDevice::ReadOwner);
        if (number == ErrorNumber::PermissionDenied && QFileInfo(dir.filePath(relativePath)).isWritable())
            QSKIP("running with permission to write read-only files (root)");
        const QString path = dir.filePath(relativePath);
        try {
            if (operation == 0)
                TextFile::readLines(path);
            else if (operation == 1)
                TextFile::writeLines(path, { QStringLiteral("x") });
            else
                TextFile::appendLine(path, QStringLiteral("x"));
            QFAIL("no error raised");
        } catch (const Error& error) {
            QCOMPARE(error.number(), number);
            QVERIFY2(error.description().contains(path), qPrintable(error.description()));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nao"))));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
