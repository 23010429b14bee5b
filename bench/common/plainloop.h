#pragma once

// The least any program could do to see that the pump tables are empty, the yardstick the idle
// cycle is held against: open each table, read its 32-byte header, close it.

#include "dbase/pumptable.h"
#include "support/teststation.h"

#include <QByteArrayList>
#include <QFile>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace bench {

inline QByteArrayList tablePaths(const TestStation& station, int nozzles)
{
    QByteArrayList paths;
    for (int bico = 1; bico <= nozzles; ++bico)
        paths << QFile::encodeName(station.pumpFolder() + u'/' + PumpTable::name(bico));
    return paths;
}

inline void plainLoop(const QByteArrayList& paths)
{
    char header[32];
    for (const QByteArray& path : paths) {
        const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0 || ::pread(descriptor, header, sizeof header, 0) != sizeof header)
            std::exit(1);
        ::close(descriptor);
    }
}

} // namespace bench
