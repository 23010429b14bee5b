#include "app/closesignals.h"
#include "app/menuautomacao.h"
#include "app/qtmessagebox.h"
#include "support/teststation.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <csignal>

using Box = RecordingMessageBox::Box;

namespace {

const QString Finalizados = QStringLiteral("14:05:31 - Objetos de Automação finalizados");

// At 96 dpi a pixel is 15 twips.
QRect twips(const QWidget* control)
{
    return QRect(control->pos() * 15, control->size() * 15);
}

// A station started on another computer than its settings name: the window and the tray icon are
// up and no polling timer runs, so nothing but the test moves the window.
struct Station {
    explicit Station(bool withTray = true, bool started = true)
        : window(bridge, [withTray] { return withTray; })
    {
        station.writeIni(TestStation::iniFor(4, "CAIXA02"));
        if (!started)
            return;
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Idle);
        QCOMPARE(station.boxes.takeBoxes().size(), 1); // the other computer's name
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QWidget* control(const QString& name) const { return window.findChild<QWidget*>(name); }
    void minimise()
    {
        QTest::mouseClick(control(QStringLiteral("cmdMinimizar")), Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    TestStation station;
    Bridge bridge { station.ports() };
    MenuAutomacao window;
};

} // namespace

class TestMenuAutomacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void designedWindow()
    {
        Station s;
        QCOMPARE(s.window.logicalDpiX(), 96);
        QCOMPARE(s.window.size() * 15, QSize(9630, 5970));
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Quorvan Automação V-2.08.08-a"));
        QCOMPARE(s.window.trayIcon().toolTip(), s.window.windowTitle());
        QCOMPARE(s.window.windowIcon().availableSizes(), QList<QSize>({ QSize(16, 16), QSize(32, 32) }));
        // In tab order, with their state and their caption or picture and tooltip.
        QStringList controls;
        QWidget* const first = s.control("cmdMinimizar");
        QWidget* control = first;
        do {
            const bool picture = !control->property("icon").value<QIcon>().isNull();
            if (control->parentWidget() == &s.window)
                controls += control->objectName() + (control->isEnabled() ? " on " : " greyed ")
                    + (picture ? "picture " + control->toolTip() : control->property("text").toString());
        } while ((control = control->nextInFocusChain()) != first);
        QCOMPARE(controls,
            QStringList({ "cmdMinimizar on picture Minimizar", "cmdFechar on picture Fechar", "EventLB on ",
                "cmdAtualizar greyed Atualizar", "cmdEncerrante greyed Encerrante" }));
    }

    // As designed, and then the buttons follow the right edge and the list grows with the window,
    // its size held at zero.
    void layout_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("buttonsLeft");
        QTest::addColumn<QSize>("list");
        QTest::newRow("designed") << QSize(9630, 5970) << 8580 << QSize(9495, 4545);
        QTest::newRow("1500 wider") << QSize(11130, 5970) << 10080 << QSize(10995, 4545);
        QTest::newRow("600 taller") << QSize(9630, 6570) << 8580 << QSize(9495, 5145);
        QTest::newRow("narrower than the list") << QSize(60, 5970) << -990 << QSize(0, 4545);
        QTest::newRow("lower than the list") << QSize(9630, 1200) << 8580 << QSize(9495, 0);
    }
    void layout()
    {
        QFETCH(QSize, client);
        QFETCH(int, buttonsLeft);
        QFETCH(QSize, list);
        Station s;
        s.window.resize(client / 15);
        QCoreApplication::processEvents();
        QCOMPARE(twips(s.control("cmdMinimizar")), QRect(buttonsLeft, 60, 435, 435));
        QCOMPARE(twips(s.control("cmdFechar")), QRect(buttonsLeft + 480, 60, 435, 435));
        QCOMPARE(twips(s.control("cmdAtualizar")), QRect(buttonsLeft, 540, 915, 375));
        QCOMPARE(twips(s.control("cmdEncerrante")), QRect(buttonsLeft, 900, 915, 375));
        QCOMPARE(twips(s.control("EventLB")), QRect(QPoint(0, 1320), list));
    }

    // A click or double-click on the background takes the icon out and shows the window normal;
    // the greyed buttons do nothing at all.
    void clicksOnTheWindow_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("backToNormal");
        QTest::newRow("click on the background") << "click" << true;
        QTest::newRow("double-click on the background") << "double-click" << true;
        QTest::newRow("click on the greyed Encerrante") << "cmdEncerrante" << false;
        QTest::newRow("click on the greyed Atualizar") << "cmdAtualizar" << false;
    }
    void clicksOnTheWindow()
    {
        QFETCH(QString, target);
        QFETCH(bool, backToNormal);
        Station s;
        s.window.showMaximized();
        const QStringList lines = s.bridge.EventLB().lines();
        // Through the platform window, as a real click arrives. The background is left of the buttons,
        // above the list.
        const QPoint where = s.control(target) ? s.control(target)->geometry().center() : QPoint(60, 60);
        if (target == "double-click")
            QTest::mouseDClick(s.window.windowHandle(), Qt::LeftButton, {}, where);
        else
            QTest::mouseClick(s.window.windowHandle(), Qt::LeftButton, {}, where);
        QCoreApplication::processEvents();
        QCOMPARE(s.window.trayIcon().isVisible(), !backToNormal);
        QCOMPARE(s.window.isMaximized(), !backToNormal);
        QCOMPARE(s.bridge.EventLB().lines(), lines);
    }

    // Minimising puts the icon in, whatever took it out; any activation of the icon brings the
    // window back and leaves the icon.
    void minimiseAndBack_data()
    {
        QTest::addColumn<bool>("withTray");
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::newRow("cmdMinimizar, click") << true << true << QSystemTrayIcon::Trigger;
        QTest::newRow("platform minimise, double-click") << true << false << QSystemTrayIcon::DoubleClick;
        QTest::newRow("cmdMinimizar, context click") << true << true << QSystemTrayIcon::Context;
        QTest::newRow("cmdMinimizar, middle click") << true << true << QSystemTrayIcon::MiddleClick;
        QTest::newRow("cmdMinimizar without a tray") << false << true << QSystemTrayIcon::Trigger;
    }
    void minimiseAndBack()
    {
        QFETCH(bool, withTray);
        QFETCH(bool, byButton);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        Station s(withTray);
        s.window.AtualizaIconeBandeja(2);
        byButton ? s.minimise() : s.window.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        QVERIFY(s.window.isMinimized());
        QVERIFY(s.window.trayIcon().isVisible());
        // Without a tray, a hidden window could never come back: it stays in the task bar.
        QCOMPARE(s.window.isVisible(), !withTray);

        Q_EMIT s.window.trayIcon().activated(reason);
        QVERIFY(!s.window.isMinimized());
        QVERIFY(s.window.trayIcon().isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
    }

    // Every way a close request arrives, at any moment, ends in one orderly unload.
    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cmdFechar") << "cmdFechar";
        QTest::newRow("the session ends the application") << "quit";
        QTest::newRow("SIGTERM while in the tray") << "SIGTERM";
        QTest::newRow("SIGHUP") << "SIGHUP";
        QTest::newRow("SIGINT") << "SIGINT";
        QTest::newRow("during a start-up box") << "start-up";
        QTest::newRow("while a cycle holds a box") << "cycle";
    }
    void closing()
    {
        QFETCH(QString, how);
        Station s(true, how != "start-up");
        CloseSignals closeSignals;
        QObject::connect(&closeSignals, &CloseSignals::closeRequested, &s.window, &QWidget::close);
        const QStringList before = s.bridge.EventLB().lines();
        // A box holding start-up or a cycle lets the close through; nothing may be released under it.
        const QString log = s.station.systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG");
        s.station.boxes.whileOpen = [&](const Box&) {
            s.window.close();
            QVERIFY(!s.bridge.EventLB().lines().contains(Finalizados));
            QDir(log).removeRecursively();
        };
        if (how == "cmdFechar") {
            QTest::mouseClick(s.control(how), Qt::LeftButton);
        } else if (how == "quit") {
            // Unlike quit(), exit() closes no window: only the application's end is left to notice.
            QTimer::singleShot(0, [] { QCoreApplication::exit(3); });
            QCOMPARE(QCoreApplication::exec(), 3);
        } else if (how == "start-up") {
            QCOMPARE(s.bridge.Form_Load(), Bridge::StartupOutcome::Idle);
            s.window.show();
        } else if (how == "cycle") {
            // The hour's log file cannot be written, so the cycle's first failure line holds it in a box.
            QVERIFY(QFile::remove(log) && QDir().mkpath(log));
            s.bridge.polling().Timer1_Timer();
        } else {
            if (how == "SIGTERM")
                s.minimise();
            std::raise(how == "SIGTERM" ? SIGTERM : how == "SIGHUP" ? SIGHUP : SIGINT);
            // The handler only wakes the event loop, which carries out the close.
            QCOMPARE(s.bridge.EventLB().lines(), before);
        }
        QCoreApplication::processEvents();
        QCOMPARE(s.station.boxes.takeBoxes().isEmpty(), how != "start-up" && how != "cycle");
        QVERIFY(!s.window.trayIcon().isVisible());
        const QStringList lines = s.bridge.EventLB().lines();
        QCOMPARE(lines.mid(lines.indexOf(Finalizados)), QStringList { Finalizados });
        QCOMPARE(s.station.logLines().last(2),
            QStringList({ Finalizados, QStringLiteral("14:05:31 - Finalizando AutoQuorvan") }));
    }

    // A box the bridge shows while the window sits in the tray is the only visible window; closing
    // it must not end the program behind the window's back.
    void closingABoxWhileInTheTrayKeepsTheProgram()
    {
        Station s;
        s.minimise();
        QTimer::singleShot(0, [] {
            QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
            QtMessageBox().show(QStringLiteral("Erro ao criar LOG ECF"), MessageStyle::Information);
            // The quit the closed box would cause is posted a round of events later, so the test
            // ends the loop itself only after a few rounds.
            QTimer::singleShot(
                0, [] { QTimer::singleShot(0, [] { QTimer::singleShot(0, [] { QCoreApplication::exit(7); }); }); });
        });
        QCOMPARE(QCoreApplication::exec(), 7);
    }
};

QTEST_MAIN(TestMenuAutomacao)
#include "tst_menuautomacao.moc"
