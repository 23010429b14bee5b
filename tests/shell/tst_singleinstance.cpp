#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString start(QProcess& process)
    {
        process.start(QStringLiteral(LOCKPROBE), { m_folder.path() });
        if (!process.waitForReadyRead(10000))
            return QStringLiteral("no answer");
        return QString::fromLatin1(process.readLine()).trimmed();
    }

private Q_SLOTS:
    void secondCopyRefusedAndDeadCopyTakenOver()
    {
        QProcess first;
        QCOMPARE(start(first), QStringLiteral("locked"));

        QProcess second;
        QCOMPARE(start(second), QStringLiteral("refused"));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);

        // A copy that dies without cleaning up leaves its lock file behind.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(m_folder.filePath(QStringLiteral("autoquorvan.lock"))));

        QProcess third;
        QCOMPARE(start(third), QStringLiteral("locked"));
        third.kill();
        third.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
