#pragma once

#include <optional>

// The bridge's own arguments, answered before the toolkit starts: saying what the program is needs
// no screen, no lock and no file. Gives the exit code when the program is to end here (--help,
// --version, a bad argument), or nothing when it runs.
namespace CommandLine {
inline constexpr int ExitBadArgument = 2;

std::optional<int> answer(int argc, const char* const argv[]);
} // namespace CommandLine
