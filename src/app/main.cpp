// The composition root: the only place that builds the real clock, drives, message boxes, host
// and back-office, and hands them to the bridge and its window.
#include "app/closesignals.h"
#include "app/commandline.h"
#include "app/menuautomacao.h"
#include "app/qtmessagebox.h"
#include "backoffice/backofficedatabase.h"
#include "bridge/bridge.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const std::optional<int> exitCode = CommandLine::answer(argc, argv))
        return *exitCode;

    // Qt's own event dispatcher: the bridge needs nothing of GLib's, whose loop costs more at every
    // wake-up, and the polling cycle wakes the program 33 times a second.
    qputenv("QT_NO_GLIB", "1");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AutoQuorvan"));

    const SystemClock clock;
    const Drives drives = Drives::fromEnvironment();
    const SystemHost host;
    QtMessageBox messageBox;
    BackOfficeDatabase backOffice(BackOfficeSettings::fromIni(drives));
    // A back-office that is slow, locked or unreachable must not freeze the window or the tray.
    backOffice.setResponsive(true);

    Bridge bridge({ clock, messageBox, drives, host, backOffice });
    MenuAutomacao window(bridge);
    // Before start-up, so a close request during one of its boxes ends the box and the program.
    CloseSignals closeSignals;
    QObject::connect(&closeSignals, &CloseSignals::closeRequested, &window, &QWidget::close);

    switch (bridge.Form_Load()) {
    case Bridge::StartupOutcome::End:
        // A second copy, a back-office that does not answer or a failed start-up end the program
        // here, without the unload: nothing was running yet.
        return 1;
    case Bridge::StartupOutcome::Closed:
        return 0;
    case Bridge::StartupOutcome::Idle:
    case Bridge::StartupOutcome::Running:
        break;
    }
    window.show();
    return QApplication::exec();
}
