#include "common/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool startsWithDrive(const QString& path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// Appends one component to a resolved folder: as written when it exists, otherwise the single
// entry that matches it without regard to case. A missing or ambiguous match keeps the name as
// written, so a file created there later gets exactly that name.
QString appendResolved(const QString& folder, const QString& component)
{
    const QString exact = folder.endsWith(u'/') ? folder + component : folder + u'/' + component;
    if (component == u"." || component == u".." || QFileInfo::exists(exact))
        return exact;
    const QStringList entries
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QString match;
    for (const QString& entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0) {
            if (!match.isEmpty())
                return exact;
            match = entry;
        }
    }
    if (match.isEmpty())
        return exact;
    return folder.endsWith(u'/') ? folder + match : folder + u'/' + match;
}

QString resolveUnder(QString folder, const QString& relative)
{
    const QStringList components = relative.split(u'/', Qt::SkipEmptyParts);
    for (const QString& component : components)
        folder = appendResolved(folder, component);
    return folder;
}

} // namespace

Drives::Drives(QString root)
    : m_root(QDir::cleanPath(std::move(root)))
{
}

Drives Drives::asWritten(QString root)
{
    Drives drives(std::move(root));
    drives.m_asWritten = true;
    return drives;
}

Drives Drives::fromEnvironment()
{
    const QString state
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/AutoQuorvan");
#ifdef Q_OS_WIN
    return asWritten(state);
#else
    const QString configured = qEnvironmentVariable("AUTOQUORVAN_DRIVES");
    if (!configured.isEmpty())
        return Drives(QDir(configured).absolutePath());
    return Drives(state + QStringLiteral("/drives"));
#endif
}

QString Drives::driveFolder(QChar letter) const
{
    if (m_asWritten)
        return QString(letter.toUpper()) + QStringLiteral(":/");
    return m_root + u'/' + letter.toUpper();
}

QString Drives::toLocal(const QString& path) const
{
    if (m_asWritten)
        return path;
    QString slashed = path;
    slashed.replace(u'\\', u'/');
    if (startsWithDrive(slashed))
        return resolveUnder(driveFolder(slashed[0]), slashed.mid(2));
    if (slashed.startsWith(u'/'))
        return QFileInfo::exists(slashed) ? slashed : resolveUnder(QStringLiteral("/"), slashed);
    if (slashed.isEmpty())
        return QDir::currentPath();
    return resolveUnder(QDir::currentPath(), slashed);
}
