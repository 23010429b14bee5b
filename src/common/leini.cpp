#include "common/leini.h"

#include "common/codepage.h"

#include <QFile>

namespace {

constexpr qsizetype MaxValueLength = 254;

QString withoutQuotes(const QString& value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString decodeFile(const QByteArray& bytes)
{
    static constexpr char Utf8Mark[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(Utf8Mark))
        return QString::fromUtf8(bytes.mid(3));
    return Cp1252::decode(bytes);
}

} // namespace

QString RotinasGerais::LeIni(const QString& pSecao, const QString& pChave, const QString& pArquivo)
{
    QFile file(pArquivo);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = decodeFile(file.readAll());

    bool sectionSeen = false;
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            if (inSection)
                return QString();
            const qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = !sectionSeen && name.compare(pSecao, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.left(equals).trimmed().compare(pChave, Qt::CaseInsensitive) != 0)
            continue;
        return withoutQuotes(line.mid(equals + 1).trimmed().toString()).left(MaxValueLength);
    }
    return QString();
}
