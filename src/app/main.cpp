// The composition root: the only place that builds the real clock, drives, message boxes, host
// and back-office, and hands them to the bridge and its window.
#include "app/closesignals.h"
#include "app/menuautomacao.h"
#include "app/qtmessagebox.h"
#include "backoffice/backofficedatabase.h"
#include "bridge/bridge.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AutoQuorvan"));

    const SystemClock clock;
    const Drives drives = Drives::fromEnvironment();
    const SystemHost host;
    QtMessageBox messageBox;
    BackOfficeDatabase backOffice(BackOfficeSettings::fromIni(drives));

    Bridge bridge({ clock, messageBox, drives, host, backOffice });
    MenuAutomacao window(bridge);
    CloseSignals closeSignals;
    QObject::connect(&closeSignals, &CloseSignals::closeRequested, &window, &QWidget::close);

    // A second copy, a back-office that does not answer or a failed start-up end the program here,
    // without the unload: nothing was running yet.
    if (bridge.Form_Load() == Bridge::StartupOutcome::End)
        return 1;
    window.show();
    return QApplication::exec();
}
