#pragma once

#include "common/clock.h"
#include "common/drives.h"

#include <QStringList>
#include <QTextStream>

// The pump table writer without its process: arguments (without the program's name) in, standard
// output and error out, and the exit code (0 written, 1 the table could not be written, 2 bad input
// with nothing written).
namespace BombaTool {
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitBadInput = 2;

int run(const QStringList& arguments, const Drives& drives, const Clock& clock, QTextStream& out, QTextStream& err);
} // namespace BombaTool
