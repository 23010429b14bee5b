#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for tests that work on real files.
namespace TestFiles {
QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes);
} // namespace TestFiles
