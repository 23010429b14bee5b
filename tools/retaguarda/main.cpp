#include "retaguardatool.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QByteArray out;
    QByteArray err;
    const int code = RetaguardaTool::run(application.arguments().mid(1), Drives::fromEnvironment(), out, err);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fwrite(err.constData(), 1, size_t(err.size()), stderr);
    return code;
}
