#pragma once

#include <QLockFile>
#include <QString>

// Refuses a second running copy of a station. The lock lives beside the drive folders: one lock
// per drive C:, which is the whole computer when a deployment sets AUTOQUORVAN_DRIVES for every
// user (each test has its own). A lock left by a copy that died is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& folder);

    // True when this copy now holds the lock; false when another live copy holds it. A lock that
    // cannot be made at all (an unwritable folder) does not stop the program: it cannot tell a
    // second copy from a broken disk, and refusing to run would stop the sales.
    bool acquire();

private:
    QLockFile m_lock;
};
