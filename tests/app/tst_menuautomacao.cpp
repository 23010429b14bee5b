#include "app/closesignals.h"
#include "app/menuautomacao.h"
#include "app/qtmessagebox.h"
#include "shell/bridge.h"
#include "support/teststation.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>

using Box = RecordingMessageBox::Box;

namespace {

// A station started on another computer than its settings name: the window and the tray icon are
// up and no polling timer runs, so nothing but the test moves the window.
struct Station {
    explicit Station(bool withTray = true)
        : trayAvailable(withTray)
        , window(bridge, [this] { return trayAvailable; })
    {
        station.writeIni(TestStation::iniFor(4, "CAIXA02"));
    }

    void start()
    {
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Idle);
        QCOMPARE(station.boxes.takeBoxes(),
            QList<Box>(
                { { QStringLiteral("Configurado para executar no computador: CAIXA02\r\nComputador atual: POSTO01"),
                    MessageStyle::Critical, QStringLiteral("Erro de Configuração!") } }));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        return window.findChild<T*>(QLatin1StringView(name));
    }
    // Twips to pixels the way the window's screen counts them.
    int pixelsX(int twips) const { return qRound(twips * window.logicalDpiX() / 1440.0); }
    int pixelsY(int twips) const { return qRound(twips * window.logicalDpiY() / 1440.0); }
    void resizeClient(int widthTwips, int heightTwips)
    {
        window.resize(pixelsX(widthTwips), pixelsY(heightTwips));
        QCoreApplication::processEvents();
    }

    TestStation station;
    Bridge bridge { station.ports() };
    bool trayAvailable;
    MenuAutomacao window;
};

const QString Finalizados = QStringLiteral("14:05:31 - Objetos de Automação finalizados");

} // namespace

class TestMenuAutomacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void designedControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("cmdEncerrante") << "cmdEncerrante" << QRect(8580, 900, 915, 375) << false << "Encerrante"
                                       << "";
        QTest::newRow("cmdAtualizar") << "cmdAtualizar" << QRect(8580, 540, 915, 375) << false << "Atualizar"
                                      << "";
        QTest::newRow("EventLB") << "EventLB" << QRect(0, 1320, 9495, 4545) << true << ""
                                 << "";
        QTest::newRow("cmdFechar") << "cmdFechar" << QRect(9060, 60, 435, 435) << true << ""
                                   << "Fechar";
        QTest::newRow("cmdMinimizar") << "cmdMinimizar" << QRect(8580, 60, 435, 435) << true << ""
                                      << "Minimizar";
    }
    void designedControls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(bool, enabled);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        Station s;
        s.start();
        QCOMPARE(s.window.logicalDpiX(), 96);
        QCOMPARE(s.window.size(), QSize(s.pixelsX(9630), s.pixelsY(5970)));
        const QWidget* control = s.control(name.toLatin1().constData());
        QVERIFY(control);
        QCOMPARE(control->geometry(),
            QRect(s.pixelsX(twips.x()), s.pixelsY(twips.y()), s.pixelsX(twips.width()), s.pixelsY(twips.height())));
        QCOMPARE(control->isEnabled(), enabled);
        if (const auto* button = qobject_cast<const QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->icon().isNull(), !caption.isEmpty());
        }
        QCOMPARE(control->toolTip(), toolTip);
    }

    void tabOrderAndCaption()
    {
        Station s;
        s.start();
        QStringList chain;
        const QStringList ours { "cmdMinimizar", "cmdFechar", "EventLB", "cmdAtualizar", "cmdEncerrante" };
        for (QWidget* w = s.control("cmdMinimizar"); chain.size() < ours.size(); w = w->nextInFocusChain()) {
            if (ours.contains(w->objectName()))
                chain << w->objectName();
        }
        QCOMPARE(chain, ours);
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Quorvan Automação V-2.08.08-a"));
        QVERIFY(s.window.trayIcon().isVisible());
        QCOMPARE(s.window.trayIcon().toolTip(), s.window.windowTitle());
        QCOMPARE(s.window.windowIcon().availableSizes(), QList<QSize>({ QSize(16, 16), QSize(32, 32) }));
    }

    void resizeRule_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("buttonsLeft");
        QTest::addColumn<int>("fecharLeft");
        QTest::addColumn<QSize>("list");
        QTest::newRow("designed") << QSize(9630, 5970) << 8580 << 9060 << QSize(9495, 4545);
        QTest::newRow("1500 wider") << QSize(11130, 5970) << 10080 << 10560 << QSize(10995, 4545);
        QTest::newRow("600 taller") << QSize(9630, 6570) << 8580 << 9060 << QSize(9495, 5145);
        QTest::newRow("narrower than the list") << QSize(60, 5970) << -990 << -510 << QSize(0, 4545);
        QTest::newRow("lower than the list") << QSize(9630, 1200) << 8580 << 9060 << QSize(9495, 0);
    }
    void resizeRule()
    {
        QFETCH(QSize, client);
        QFETCH(int, buttonsLeft);
        QFETCH(int, fecharLeft);
        QFETCH(QSize, list);
        Station s;
        s.start();
        s.resizeClient(client.width(), client.height());
        QCOMPARE(s.window.size(), QSize(s.pixelsX(client.width()), s.pixelsY(client.height())));
        for (const char* name : { "cmdMinimizar", "cmdAtualizar", "cmdEncerrante" })
            QCOMPARE(s.control(name)->x(), s.pixelsX(buttonsLeft));
        QCOMPARE(s.control("cmdFechar")->x(), s.pixelsX(fecharLeft));
        QCOMPARE(s.control("EventLB")->size(), QSize(s.pixelsX(list.width()), s.pixelsY(list.height())));
        // Tops and the buttons' sizes stay as designed.
        QCOMPARE(s.control("cmdEncerrante")->geometry().topLeft().y(), s.pixelsY(900));
        QCOMPARE(s.control("cmdFechar")->size(), QSize(s.pixelsX(435), s.pixelsY(435)));
        QCOMPARE(s.control("EventLB")->y(), s.pixelsY(1320));
    }

    void clicksOnTheWindow_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("backToNormal");
        QTest::newRow("click on the background") << "" << Qt::LeftButton << false << true;
        QTest::newRow("right click on the background") << "" << Qt::RightButton << false << true;
        QTest::newRow("double-click on the background") << "" << Qt::LeftButton << true << true;
        QTest::newRow("click on the greyed Encerrante") << "cmdEncerrante" << Qt::LeftButton << false << false;
        QTest::newRow("click on the greyed Atualizar") << "cmdAtualizar" << Qt::LeftButton << false << false;
        QTest::newRow("click on the list") << "EventLB" << Qt::LeftButton << false << false;
    }
    void clicksOnTheWindow()
    {
        QFETCH(QString, target);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, doubleClick);
        QFETCH(bool, backToNormal);
        Station s;
        s.start();
        s.window.showMaximized();
        const QStringList lines = s.bridge.EventLB().lines();
        QWidget* widget = target.isEmpty() ? &s.window : s.control(target.toLatin1().constData());
        // Left of the buttons, above the list: nothing there.
        const QPoint where = target.isEmpty() ? QPoint(s.pixelsX(900), s.pixelsY(900)) : widget->rect().center();
        if (doubleClick)
            QTest::mouseDClick(widget, button, {}, where);
        else
            QTest::mouseClick(widget, button, {}, where);
        QCoreApplication::processEvents();

        QCOMPARE(s.window.trayIcon().isVisible(), !backToNormal);
        QCOMPARE(s.window.isMaximized(), !backToNormal);
        QVERIFY(s.window.isVisible());
        QCOMPARE(s.bridge.EventLB().lines(), lines);
        QCOMPARE(s.station.boxes.takeBoxes(), QList<Box>());
    }

    void minimise_data()
    {
        QTest::addColumn<bool>("withTray");
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<bool>("iconFirst");
        QTest::newRow("cmdMinimizar") << true << true << true;
        QTest::newRow("the platform's own minimise") << true << false << true;
        QTest::newRow("after a click removed the icon") << true << true << false;
        QTest::newRow("cmdMinimizar without a tray") << false << true << true;
        QTest::newRow("platform minimise without a tray") << false << false << true;
    }
    void minimise()
    {
        QFETCH(bool, withTray);
        QFETCH(bool, byButton);
        QFETCH(bool, iconFirst);
        Station s(withTray);
        s.start();
        if (!iconFirst)
            s.window.AtualizaIconeBandeja(2);
        if (byButton)
            QTest::mouseClick(s.control("cmdMinimizar"), Qt::LeftButton);
        else
            s.window.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();

        QVERIFY(s.window.isMinimized());
        QVERIFY(s.window.trayIcon().isVisible());
        // Without a tray, a hidden window could never come back: it stays in the task bar.
        QCOMPARE(s.window.isVisible(), !withTray);
    }

    void activatingTheIconShowsTheWindow_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::newRow("click") << QSystemTrayIcon::Trigger;
        QTest::newRow("double-click") << QSystemTrayIcon::DoubleClick;
        QTest::newRow("context click") << QSystemTrayIcon::Context;
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick;
    }
    void activatingTheIconShowsTheWindow()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        Station s;
        s.start();
        QTest::mouseClick(s.control("cmdMinimizar"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!s.window.isVisible());

        Q_EMIT s.window.trayIcon().activated(reason);
        QVERIFY(s.window.isVisible());
        QVERIFY(!s.window.isMinimized());
        QVERIFY(s.window.trayIcon().isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
    }

    void trayActions_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<int>("pAcao");
        QTest::addColumn<bool>("after");
        QTest::newRow("0 adds") << false << 0 << true;
        QTest::newRow("0 when present") << true << 0 << true;
        QTest::newRow("2 removes") << true << 2 << false;
        QTest::newRow("2 when absent") << false << 2 << false;
        QTest::newRow("3 does nothing") << true << 3 << true;
    }
    void trayActions()
    {
        QFETCH(bool, before);
        QFETCH(int, pAcao);
        QFETCH(bool, after);
        Station s;
        s.start();
        s.window.trayIcon().setVisible(before);
        Q_EMIT s.bridge.trayIconRequested(pAcao);
        QCOMPARE(s.window.trayIcon().isVisible(), after);
        QCOMPARE(s.window.trayIcon().toolTip(), QStringLiteral("Quorvan Automação V-2.08.08-a"));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cmdFechar") << "cmdFechar";
        QTest::newRow("title bar") << "title bar";
        QTest::newRow("from the tray") << "from the tray";
        QTest::newRow("SIGTERM") << "SIGTERM";
        QTest::newRow("SIGHUP") << "SIGHUP";
        QTest::newRow("application quits") << "quit";
    }
    void closing()
    {
        QFETCH(QString, how);
        Station s;
        s.start();
        CloseSignals closeSignals;
        QObject::connect(&closeSignals, &CloseSignals::closeRequested, &s.window, &QWidget::close);
        const QStringList before = s.bridge.EventLB().lines();
        const QByteArray logBefore = s.station.logFile();

        if (how == "cmdFechar") {
            QTest::mouseClick(s.control("cmdFechar"), Qt::LeftButton);
        } else if (how == "title bar") {
            s.window.windowHandle()->close();
        } else if (how == "from the tray") {
            QTest::mouseClick(s.control("cmdMinimizar"), Qt::LeftButton);
            QCoreApplication::processEvents();
            QVERIFY(!s.window.isVisible());
            s.window.close();
        } else if (how == "quit") {
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
            QCOMPARE(QCoreApplication::exec(), 0);
        } else {
            std::raise(how == "SIGTERM" ? SIGTERM : SIGHUP);
        }
        QCoreApplication::processEvents();
        // A second request after the unload changes nothing.
        s.window.close();
        QCoreApplication::processEvents();

        QVERIFY(!s.window.trayIcon().isVisible());
        QVERIFY(!s.window.isVisible());
        QCOMPARE(s.bridge.EventLB().lines(), before + QStringList { Finalizados });
        QCOMPARE(s.station.logFile(),
            logBefore + "14:05:31 - Objetos de Automa\xE7\xE3o finalizados\r\n14:05:31 - Finalizando AutoQuorvan\r\n");
    }

    void closeDuringStartUpWaitsForTheWindow()
    {
        // Logging off while a start-up box is open: the close arrives before the window was
        // shown, and is carried out once start-up has returned and the window is up.
        Station s;
        s.station.boxes.whileOpen = [&s](const Box&) { s.window.close(); };
        QCOMPARE(s.bridge.Form_Load(), Bridge::StartupOutcome::Idle);
        s.station.boxes.takeBoxes();
        QCOMPARE(s.bridge.EventLB().lines(), QStringList { QStringLiteral("14:05:31 - AutoQuorvan Iniciado: ") });

        s.window.show();
        QCoreApplication::processEvents();
        QVERIFY(!s.window.isVisible());
        QVERIFY(!s.window.trayIcon().isVisible());
        QCOMPARE(s.bridge.EventLB().lines().last(), Finalizados);
    }

    void closeWhileACycleHoldsABoxWaitsForTheCycle()
    {
        // The hour's log file cannot be written, so the cycle's first failure line holds it in a
        // box; logging off meanwhile must not release anything under it.
        Station s;
        s.start();
        s.station.clock.set(QDateTime(QDate(2026, 12, 6), QTime(15, 0, 0)));
        const QString blocked = s.station.systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_15.LOG");
        QVERIFY(QDir().mkpath(blocked));
        QStringList linesWhileOpen;
        bool iconWhileOpen = false;
        s.station.boxes.whileOpen = [&](const Box&) {
            s.window.close();
            linesWhileOpen = s.bridge.EventLB().lines();
            iconWhileOpen = s.window.trayIcon().isVisible();
            QDir(blocked).removeRecursively();
        };

        s.bridge.polling().Timer1_Timer();
        QVERIFY(!s.station.boxes.takeBoxes().isEmpty());
        QVERIFY(!linesWhileOpen.contains(QStringLiteral("15:00:00 - Objetos de Automação finalizados")));
        QVERIFY(iconWhileOpen);
        QVERIFY(s.window.isVisible());

        QCoreApplication::processEvents();
        QVERIFY(!s.window.isVisible());
        QVERIFY(!s.window.trayIcon().isVisible());
        QCOMPARE(s.bridge.EventLB().lines().count(QStringLiteral("15:00:00 - Objetos de Automação finalizados")), 1);
    }

    void closingABoxWhileInTheTrayKeepsTheProgram()
    {
        // A box the bridge shows while the window sits in the tray is the only visible window;
        // closing it must not end the program behind the window's back.
        Station s;
        s.start();
        QTest::mouseClick(s.control("cmdMinimizar"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!s.window.isVisible());
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
