// A copy of the program reduced to its single-instance lock, so a test can run two real processes
// against one folder: prints "locked" and holds the lock until killed, or prints "refused".
#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    SingleInstance instance(application.arguments().value(1));
    if (!instance.acquire()) {
        std::puts("refused");
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
