#include "common/leini.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using RotinasGerais::LeIni;

class TestLeIni : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QByteArray station = "[LOCALIZACAO]\r\n"
                                   "Local banco dados nolvex=C:\\wdn\\matriz\r\n"
                                   "Computador com automacao = posto01 \r\n"
                                   "[OUTRAS]\r\n"
                                   "Quantidade de Bicos=8\r\n"
                                   "Nome da Empresa=\"Auto Posto S\xE3o Jos\xE9\"\r\n"
                                   "Aspas='sozinha\r\n";
        QTest::newRow("backslashes intact") << station << "LOCALIZACAO"
                                            << "Local banco dados nolvex"
                                            << "C:\\wdn\\matriz";
        QTest::newRow("names without regard to case") << station << "localizacao"
                                                      << "COMPUTADOR COM AUTOMACAO"
                                                      << "posto01";
        QTest::newRow("quotes removed, accents decoded") << station << "OUTRAS"
                                                         << "Nome da Empresa" << QStringLiteral("Auto Posto São José");
        QTest::newRow("unmatched quote kept") << station << "OUTRAS"
                                              << "Aspas"
                                              << "'sozinha";
        QTest::newRow("key of another section") << station << "OUTRAS"
                                                << "Computador com automacao"
                                                << "";
        QTest::newRow("missing section") << station << "GERAL"
                                         << "Quantidade de Bicos"
                                         << "";
        QTest::newRow("lf line ends") << QByteArray("[OUTRAS]\nQuantidade de Bicos=4\n") << "OUTRAS"
                                      << "Quantidade de Bicos"
                                      << "4";
        QTest::newRow("last line without end") << QByteArray("[OUTRAS]\r\nQuantidade de Bicos=4") << "OUTRAS"
                                               << "Quantidade de Bicos"
                                               << "4";
        QTest::newRow("utf-8 byte-order mark") << QByteArray("\xEF\xBB\xBF[OUTRAS]\r\nNome=S\xC3\xA3o\r\n") << "OUTRAS"
                                               << "Nome" << QStringLiteral("São");
        QTest::newRow("first of duplicated keys") << QByteArray("[OUTRAS]\r\nA=1\r\nA=2\r\n") << "OUTRAS"
                                                  << "A"
                                                  << "1";
        QTest::newRow("first of duplicated sections")
            << QByteArray("[OUTRAS]\r\nB=1\r\n[OUTRAS]\r\nA=2\r\n") << "OUTRAS"
            << "A"
            << "";
        QTest::newRow("line without equals is no key") << QByteArray("[OUTRAS]\r\nA\r\nA=3\r\n") << "OUTRAS"
                                                       << "A"
                                                       << "3";
        QTest::newRow("comment line") << QByteArray("[OUTRAS]\r\n;A=1\r\n") << "OUTRAS"
                                      << ";A"
                                      << "";
        QTest::newRow("value with equals sign") << QByteArray("[S]\r\nK=a=b\r\n") << "S"
                                                << "K"
                                                << "a=b";
        QTest::newRow("empty value") << QByteArray("[S]\r\nK=\r\n") << "S"
                                     << "K"
                                     << "";
        QTest::newRow("indented section and key") << QByteArray("  [ S ]\r\n\tK\t=\tv\r\n") << "S"
                                                  << "K"
                                                  << "v";
        QTest::newRow("cut to 254") << QByteArray("[S]\r\nK=") + QByteArray(300, 'x') + "\r\n"
                                    << "S"
                                    << "K" << QString(254, u'x');
    }
    void readsValues()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("AutoQuorvan.INI"));
        TestFiles::write(path, content);
        QCOMPARE(LeIni(section, key, path), value);
    }

    void missingFileIsEmpty()
    {
        QTemporaryDir dir;
        QCOMPARE(
            LeIni(QStringLiteral("OUTRAS"), QStringLiteral("A"), dir.filePath(QStringLiteral("no.ini"))), QString());
    }
};

QTEST_GUILESS_MAIN(TestLeIni)
#include "tst_leini.moc"
