#include "dbase/tablefile.h"

#include "dbase/dbffile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

#ifdef Q_OS_WIN
#include <io.h>
#define close _close
#else
#include <unistd.h>
#endif

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

TableFile::~TableFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool TableFile::open(const QByteArray& path, Mode mode)
{
    m_path = QFile::decodeName(path);
#ifdef Q_OS_WIN
    const int flags = (mode == Mode::Read ? _O_RDONLY : _O_RDWR) | _O_BINARY;
    m_descriptor = ::_open(path.constData(), flags);
#else
    const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    m_descriptor = ::open(path.constData(), flags);
#endif
    if (m_descriptor < 0)
        m_reason = systemReason();
    return m_descriptor >= 0;
}

qint64 TableFile::read(char* data, qint64 size, qint64 offset) const
{
    qint64 done = 0;
    while (done < size) {
#ifdef Q_OS_WIN
        const qint64 got = ::_lseeki64(m_descriptor, offset + done, SEEK_SET) < 0
            ? -1
            : ::_read(m_descriptor, data + done, unsigned(size - done));
#else
        const qint64 got = ::pread(m_descriptor, data + done, size_t(size - done), off_t(offset + done));
#endif
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            m_reason = systemReason();
            throw Error(ErrorNumber::DiskError,
                QStringLiteral("Erro de disco ao acessar o arquivo '%1' (%2).").arg(m_path, m_reason));
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

QByteArray TableFile::read(qint64 size, qint64 offset) const
{
    QByteArray bytes(size, Qt::Uninitialized);
    bytes.truncate(read(bytes.data(), size, offset));
    return bytes;
}

void TableFile::write(const char* data, qint64 size, qint64 offset) const
{
    qint64 done = 0;
    while (done < size) {
#ifdef Q_OS_WIN
        const qint64 put = ::_lseeki64(m_descriptor, offset + done, SEEK_SET) < 0
            ? -1
            : ::_write(m_descriptor, data + done, unsigned(size - done));
#else
        const qint64 put = ::pwrite(m_descriptor, data + done, size_t(size - done), off_t(offset + done));
#endif
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            m_reason = systemReason();
            throw Error(ErrorNumber::DiskError,
                QStringLiteral("Erro de disco ao acessar o arquivo '%1' (%2).").arg(m_path, m_reason));
        }
        done += put;
    }
}
