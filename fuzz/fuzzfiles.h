#pragma once

#include <QByteArrayView>
#include <QString>

// The files a fuzz target hands to the code under test. They live in one folder per process, under
// the temporary folder (scripts/fuzz.sh points it at a memory file system), so an input costs
// neither a disk write nor a folder of its own.
namespace FuzzFiles {
// The process's folder, created at the first call and removed when the process ends normally.
QString folder();
// Replaces the content of the folder's file of that name with the bytes and gives its path.
QString write(const QString& name, QByteArrayView bytes);
} // namespace FuzzFiles
