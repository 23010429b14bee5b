#pragma once

#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

class Bridge;
class QListView;
class QPushButton;

// The program's one window. It owns nothing but its widgets and the tray icon: the bridge holds the
// state and the routines, the window shows the event list, lays out its controls, moves between
// the screen and the tray, and turns every way of closing into one orderly unload.
class MenuAutomacao final : public QWidget {
    Q_OBJECT

public:
    // Asked at every minimise, because a tray can come and go with the desktop's panel.
    using TrayAvailability = std::function<bool()>;

    // The client area as designed, in twips.
    static constexpr int DesignedWidth = 9630;
    static constexpr int DesignedHeight = 5970;

    explicit MenuAutomacao(Bridge& bridge, TrayAvailability trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable,
        QWidget* parent = nullptr);
    ~MenuAutomacao() override;

    // AtualizaIconeBandeja: 0 puts the icon into the tray, 1 refreshes its picture and tooltip, 2
    // takes it out; any other action does nothing.
    void AtualizaIconeBandeja(int pAcao);

    QSystemTrayIcon& trayIcon() { return m_tray; }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void createControls();
    void layoutControls();
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;
    void minimiseToTray();
    void showFromTray();
    void showFromBackground();
    bool isBackground(const QPoint& position) const;
    void closeIfPending();
    void unload();

    Bridge& m_bridge;
    TrayAvailability m_trayAvailable;
    QSystemTrayIcon m_tray;

    QPushButton* m_cmdEncerrante = nullptr;
    QPushButton* m_cmdAtualizar = nullptr;
    QListView* m_EventLB = nullptr;
    QPushButton* m_cmdFechar = nullptr;
    QPushButton* m_cmdMinimizar = nullptr;

    bool m_shown = false;
    bool m_closePending = false;
    bool m_unloaded = false;
    bool m_backgroundPressed = false;
};
