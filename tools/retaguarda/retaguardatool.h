#pragma once

#include "common/drives.h"

#include <QByteArray>
#include <QStringList>

// The administration tool without its process: arguments in, standard output and error out, and
// the exit code (0 done, 1 the database failed, 2 bad input with nothing written).
namespace RetaguardaTool {
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitBadInput = 2;

int run(const QStringList& arguments, const Drives& drives, QByteArray& out, QByteArray& err);
} // namespace RetaguardaTool
