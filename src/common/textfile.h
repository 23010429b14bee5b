#pragma once

#include <QString>
#include <QStringList>
#include <limits>

// Text files as the station's programs exchange them: Windows-1252, lines ended by CR LF. Each
// function opens, works and closes the file within the call, and throws Error with a number and a
// description that names the file when the file system refuses.
namespace TextFile {
// The lines without their ends; a line feed alone also ends a line, and the last line may have
// none. An empty file has no lines. A file longer than maxBytes is refused without being read
// whole: another program's file must not exhaust the memory of the bridge.
QStringList readLines(const QString& path, qint64 maxBytes = std::numeric_limits<qint64>::max() - 1);
// Files are never written through a symbolic link: one planted in the exchange or the log folder
// would otherwise make the bridge create or append to a file elsewhere.

// Creates the file, or replaces its content, with the lines each followed by CR LF, and waits
// until they are on disk: these files are moved into place for another program, which must never
// find an empty file there after a power cut.
void writeLines(const QString& path, const QStringList& lines);
// Appends one line and CR LF, creating the file (never its folder) when it is missing.
void appendLine(const QString& path, const QString& line);
// Replaces the file with the bytes as given, written beside it and renamed over it: a reader finds
// the old content or the new, never half of either. Not waited for on disk: for a file rewritten
// soon anyway.
void replace(const QString& path, const QByteArray& bytes);

enum class Removal {
    NotForced, // a read-only file stays, as Windows keeps it unless told otherwise
    Forced,
};
// Deletes the file when it exists; a symbolic link is deleted itself, whatever it points to.
void remove(const QString& path, Removal removal);
// Moves a file to a name that must not exist yet.
void move(const QString& from, const QString& to);
} // namespace TextFile
