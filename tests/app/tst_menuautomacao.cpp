#include "app/closesignals.h"
#include "app/menuautomacao.h"
#include "app/qtmessagebox.h"
#include "support/teststation.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace {

const QString Finalizados = QStringLiteral("14:05:31 - Objetos de Automação finalizados");

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
    template <typename Control = QWidget> Control* control(const QString& name) const
    {
        return window.findChild<Control*>(name);
    }

    TestStation station;
    Bridge bridge { station.ports() };
    MenuAutomacao window;
};

} // namespace

class TestMenuAutomacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The window as designed at 96 dpi, where a pixel is 15 twips; resized, the buttons follow the
    // right edge and the list grows with the window, its size held at zero.
    void designedWindow_data()
    {
        QTest::addColumn<QSize>("grow");
        QTest::addColumn<int>("buttonsLeft");
        QTest::addColumn<QSize>("list");
        QTest::newRow("designed") << QSize(0, 0) << 8580 << QSize(9495, 4545);
        QTest::newRow("1500 wider, 600 taller") << QSize(1500, 600) << 10080 << QSize(10995, 5145);
        QTest::newRow("narrower and lower than the list") << QSize(-9570, -4770) << -990 << QSize(0, 0);
    }
    void designedWindow()
    {
        QFETCH(QSize, grow);
        QFETCH(int, buttonsLeft);
        QFETCH(QSize, list);
        Station s;
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Quorvan Automação V-2.08.08-a"));
        QCOMPARE(s.window.trayIcon().toolTip(), s.window.windowTitle());
        QCOMPARE(s.window.windowIcon().availableSizes(), QList<QSize>({ QSize(16, 16), QSize(32, 32) }));
        // In tab order, with their state and their caption or picture and tooltip.
        QStringList controls;
        QWidget* control = s.control("cmdMinimizar");
        do {
            const bool picture = !control->property("icon").value<QIcon>().isNull();
            if (control->parentWidget() == &s.window)
                controls += control->objectName() + (control->isEnabled() ? " on " : " greyed ")
                    + (picture ? "picture " + control->toolTip() : control->property("text").toString());
        } while ((control = control->nextInFocusChain()) != s.control("cmdMinimizar"));
        QCOMPARE(controls,
            QStringList({ "cmdMinimizar on picture Minimizar", "cmdFechar on picture Fechar", "EventLB on ",
                "cmdAtualizar greyed Atualizar", "cmdEncerrante greyed Encerrante" }));
        // Every caption whole inside its button's frame, in the designed font.
        for (QPushButton* button :
            { s.control<QPushButton>("cmdAtualizar"), s.control<QPushButton>("cmdEncerrante") }) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= room,
                qPrintable(button->text() + " in " + QFontInfo(button->font()).family()));
        }

        s.window.resize(s.window.size() + grow / 15);
        QCoreApplication::processEvents();
        const auto twips = [&s](const char* c) { return QRect(s.control(c)->pos() * 15, s.control(c)->size() * 15); };
        QCOMPARE(twips("cmdMinimizar"), QRect(buttonsLeft, 60, 435, 435));
        QCOMPARE(twips("cmdFechar"), QRect(buttonsLeft + 480, 60, 435, 435));
        QCOMPARE(twips("cmdAtualizar"), QRect(buttonsLeft, 540, 915, 375));
        QCOMPARE(twips("cmdEncerrante"), QRect(buttonsLeft, 900, 915, 375));
        QCOMPARE(twips("EventLB"), QRect(QPoint(0, 1320), list));
    }

    // The operator's day with the window and its icon. A click or double-click on the background
    // takes the icon out and shows the window normal; the greyed buttons do nothing at all.
    // Minimising puts the icon in, whatever took it out, and any activation of the icon brings the
    // window back and leaves the icon.
    void windowAndTray_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<bool>("withTray");
        QTest::newRow("background click, cmdMinimizar, icon click")
            << "background" << true << QSystemTrayIcon::Trigger << true;
        QTest::newRow("background double-click, platform minimise, icon double-click")
            << "double-click" << false << QSystemTrayIcon::DoubleClick << true;
        QTest::newRow("greyed Encerrante, cmdMinimizar, icon context click")
            << "cmdEncerrante" << true << QSystemTrayIcon::Context << true;
        QTest::newRow("greyed Atualizar, cmdMinimizar without a tray, icon middle click")
            << "cmdAtualizar" << true << QSystemTrayIcon::MiddleClick << false;
    }
    void windowAndTray()
    {
        QFETCH(QString, click);
        QFETCH(bool, byButton);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(bool, withTray);
        Station s(withTray);
        s.window.showMaximized();
        const QStringList lines = s.bridge.EventLB().lines();
        // Through the platform window, as a real click arrives. The background is left of the buttons,
        // above the list.
        const bool greyed = s.control(click);
        const QPoint where = greyed ? s.control(click)->geometry().center() : QPoint(60, 60);
        if (click == "double-click")
            QTest::mouseDClick(s.window.windowHandle(), Qt::LeftButton, {}, where);
        else
            QTest::mouseClick(s.window.windowHandle(), Qt::LeftButton, {}, where);
        QCoreApplication::processEvents();
        QCOMPARE(s.window.trayIcon().isVisible(), greyed);
        QCOMPARE(s.window.isMaximized(), greyed);
        QCOMPARE(s.bridge.EventLB().lines(), lines);

        byButton ? QTest::mouseClick(s.control("cmdMinimizar"), Qt::LeftButton)
                 : s.window.setWindowState(Qt::WindowMinimized);
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
        QTest::newRow("SIGHUP while in the tray") << "SIGHUP";
        QTest::newRow("SIGINT while in the tray") << "SIGINT";
        QTest::newRow("during a start-up box") << "start-up";
        QTest::newRow("while a cycle holds a box") << "cycle";
    }
    void closing()
    {
        QFETCH(QString, how);
        Station s(true, how != "start-up");
        CloseSignals closeSignals;
        QObject::connect(&closeSignals, &CloseSignals::closeRequested, &s.window, &QWidget::close);
        // A box holding start-up or a cycle lets the close through; nothing may be released under it.
        const QString log = s.station.systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG");
        s.station.boxes.whileOpen = [&](const auto&) {
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
            // Start-up carries the close out itself: the window is never shown.
            QCOMPARE(s.bridge.Form_Load(), Bridge::StartupOutcome::Closed);
        } else if (how == "cycle") {
            // The hour's log file cannot be written, so the cycle's first failure line holds it in a box.
            QVERIFY(QFile::remove(log) && QDir().mkpath(log));
            s.bridge.polling().Timer1_Timer();
        } else {
            s.window.showMinimized();
            QCoreApplication::processEvents();
            std::raise(how == "SIGTERM" ? SIGTERM : how == "SIGHUP" ? SIGHUP : SIGINT);
            // The handler only wakes the event loop, which carries out the close.
            QVERIFY(!s.bridge.EventLB().lines().contains(Finalizados));
        }
        QCoreApplication::processEvents();
        QCOMPARE(s.station.boxes.takeBoxes().isEmpty(), how != "start-up" && how != "cycle");
        QVERIFY(!s.window.trayIcon().isVisible());
        QCOMPARE(s.bridge.EventLB().lines().last(), Finalizados);
        QCOMPARE(s.station.logLines().last(2),
            QStringList({ Finalizados, QStringLiteral("14:05:31 - Finalizando AutoQuorvan") }));
    }

    // A box the bridge shows while the window sits in the tray is the only visible window; closing
    // it must not end the program behind the window's back.
    void closingABoxWhileInTheTrayKeepsTheProgram()
    {
        Station s;
        s.window.showMinimized();
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
