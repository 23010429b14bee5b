#include "support/testfiles.h"

#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QByteArray TestFiles::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void TestFiles::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

QString TestFiles::run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool exited = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return QString::number(exited ? process.exitCode() : -1) + u' '
        + QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

QString TestFiles::outcome(const std::function<QString()>& action, bool described)
{
    try {
        return action();
    } catch (const Error& error) {
        return u'#' + QString::number(error.number()) + (described ? u' ' + error.description() : QString());
    }
}
