#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>
#include <functional>

// Small helpers for tests that work on real files and programs.
namespace TestFiles {
QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes);
// A program run to its end: its exit code (-1 when it crashed), a space, then what it wrote on
// standard output and standard error.
QString run(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
// What an action gives, or "#" and the number of the error it raises, with its description when
// described.
QString outcome(const std::function<QString()>& action, bool described = false);
} // namespace TestFiles

// A row of a data-driven test: its name, then a value for each column.
template <typename... Values> void row(const char* name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}
