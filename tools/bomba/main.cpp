// autoquorvan-bomba: appends fuelings to a nozzle's pump table the way the pump automation does, so
// the bridge can be tried and measured without pumps.
#include "bombatool.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return BombaTool::run(QCoreApplication::arguments().mid(1), Drives::fromEnvironment(), SystemClock(), out, err);
}
