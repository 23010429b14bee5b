#pragma once

#include <QLockFile>
#include <QString>

// Refuses a second running copy of a station. The lock lives beside the drive folders: one lock
// per drive C:, which is the whole computer when a deployment sets AUTOQUORVAN_DRIVES for every
// user (each test has its own). A lock left by a copy that died is taken over.
class SingleInstance {
public:
    enum class Result {
        Acquired,
        Running, // another live copy holds the lock
        Failed, // the lock could not be made (unwritable folder, full disk): see failure()
    };

    explicit SingleInstance(const QString& folder);

    // Takes the lock. A copy that cannot tell whether another runs must not run: two copies
    // would register every sale twice and grow every totalizer twice.
    Result acquire();
    // The lock file and why it could not be made.
    QString failure() const;

private:
    QString m_path;
    QLockFile m_lock;
};
