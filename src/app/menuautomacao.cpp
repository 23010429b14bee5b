#include "app/menuautomacao.h"

#include "app/artwork.h"
#include "bridge/bridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>

namespace {
constexpr double TwipsPerInch = 1440.0;

// The layout rule is written against the window's outer size with the frame it was designed
// with (outer 9750 by 6480 for the client 9630 by 5970). Frames differ between platforms and the
// offscreen one has none, so the rule is applied to the client size plus that designed frame,
// which makes the designed window give the designed positions everywhere.
constexpr double DesignedFrameWidth = 120;
constexpr double DesignedFrameHeight = 510;
} // namespace

MenuAutomacao::MenuAutomacao(Bridge& bridge, TrayAvailability trayAvailable, QWidget* parent)
    : QWidget(parent)
    , m_bridge(bridge)
    , m_trayAvailable(std::move(trayAvailable))
{
    // The window spends its days hidden in the tray, and a message box the bridge shows meanwhile
    // would otherwise be the last window to close and end the program without its unload; the
    // window ends the program itself once it has unloaded.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    setObjectName(QStringLiteral("MenuAutomacao"));
    // The controls were sized for an 8-point sans serif narrower than the desktops' usual ones: in
    // DejaVu Sans "Encerrante" no longer fits its button. Liberation Sans (Arial on Windows) has
    // the designed metrics; without either the desktop's own font is the last resort.
    QFont designedFont = font();
    designedFont.setFamilies({ QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), designedFont.family() });
    designedFont.setPointSize(8);
    setFont(designedFont);
    setWindowTitle(m_bridge.caption());
    setWindowIcon(Artwork::windowIcon());
    createControls();
    resize(twipsToPixelsX(DesignedWidth), twipsToPixelsY(DesignedHeight));
    layoutControls();

    m_tray.setIcon(windowIcon());
    m_tray.setToolTip(m_bridge.caption());
    connect(&m_tray, &QSystemTrayIcon::activated, this, &MenuAutomacao::showFromTray);

    connect(&m_bridge, &Bridge::captionChanged, this, [this](const QString& caption) {
        setWindowTitle(caption);
        m_tray.setToolTip(caption);
    });
    connect(&m_bridge, &Bridge::trayIconRequested, this, &MenuAutomacao::AtualizaIconeBandeja);
    // Where the platform ends the session by quitting the application rather than closing its
    // windows, the unload still happens.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!m_unloaded && m_shown && !m_bridge.isCycleRunning())
            unload();
    });
}

MenuAutomacao::~MenuAutomacao() = default;

void MenuAutomacao::createControls()
{
    // In the designed creation order, which is also the stacking order.
    m_cmdEncerrante = new QPushButton(QStringLiteral("Encerrante"), this);
    m_cmdEncerrante->setObjectName(QStringLiteral("cmdEncerrante"));
    m_cmdEncerrante->setEnabled(false);
    connect(m_cmdEncerrante, &QPushButton::clicked, &m_bridge, &Bridge::cmdEncerrante_Click);

    m_cmdAtualizar = new QPushButton(QStringLiteral("Atualizar"), this);
    m_cmdAtualizar->setObjectName(QStringLiteral("cmdAtualizar"));
    m_cmdAtualizar->setEnabled(false);

    m_EventLB = new QListView(this);
    m_EventLB->setObjectName(QStringLiteral("EventLB"));
    m_EventLB->setSelectionMode(QAbstractItemView::SingleSelection);
    m_EventLB->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_EventLB->setUniformItemSizes(true);
    EventListModel& events = m_bridge.EventLB();
    m_EventLB->setModel(&events);
    const auto selectRow = [this, &events](int row) {
        const QModelIndex index = events.index(row);
        m_EventLB->setCurrentIndex(index);
        m_EventLB->scrollTo(index);
    };
    connect(&events, &EventListModel::currentRowChanged, m_EventLB, selectRow);
    if (events.currentRow() >= 0)
        selectRow(events.currentRow());

    const QSize pictureSize(32, 32);
    m_cmdFechar = new QPushButton(this);
    m_cmdFechar->setObjectName(QStringLiteral("cmdFechar"));
    m_cmdFechar->setIcon(QPixmap::fromImage(Artwork::fechar()));
    m_cmdFechar->setIconSize(pictureSize);
    m_cmdFechar->setToolTip(QStringLiteral("Fechar"));
    connect(m_cmdFechar, &QPushButton::clicked, this, &QWidget::close);

    m_cmdMinimizar = new QPushButton(this);
    m_cmdMinimizar->setObjectName(QStringLiteral("cmdMinimizar"));
    m_cmdMinimizar->setIcon(QPixmap::fromImage(Artwork::minimizar()));
    m_cmdMinimizar->setIconSize(pictureSize);
    m_cmdMinimizar->setToolTip(QStringLiteral("Minimizar"));
    connect(m_cmdMinimizar, &QPushButton::clicked, this, &QWidget::showMinimized);

    setTabOrder(m_cmdMinimizar, m_cmdFechar);
    setTabOrder(m_cmdFechar, m_EventLB);
    setTabOrder(m_EventLB, m_cmdAtualizar);
    setTabOrder(m_cmdAtualizar, m_cmdEncerrante);
    m_cmdMinimizar->setFocus();
}

int MenuAutomacao::twipsToPixelsX(double twips) const
{
    return qRound(twips * logicalDpiX() / TwipsPerInch);
}

int MenuAutomacao::twipsToPixelsY(double twips) const
{
    return qRound(twips * logicalDpiY() / TwipsPerInch);
}

void MenuAutomacao::layoutControls()
{
    const double W = width() * TwipsPerInch / logicalDpiX() + DesignedFrameWidth;
    const double H = height() * TwipsPerInch / logicalDpiY() + DesignedFrameHeight;
    // A window smaller than the list allows holds the list's size at zero rather than failing.
    const auto place = [this](QWidget* control, double left, double top, double controlWidth, double controlHeight) {
        control->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), qMax(0, twipsToPixelsX(controlWidth)),
            qMax(0, twipsToPixelsY(controlHeight)));
    };
    place(m_cmdMinimizar, W - 1170, 60, 435, 435);
    place(m_cmdFechar, W - 690, 60, 435, 435);
    place(m_cmdAtualizar, W - 1170, 540, 915, 375);
    place(m_cmdEncerrante, W - 1170, 900, 915, 375);
    place(m_EventLB, 0, 1320, W - 255, H - 1935);
}

void MenuAutomacao::AtualizaIconeBandeja(int pAcao)
{
    switch (pAcao) {
    case 0:
    case 1:
        m_tray.setIcon(windowIcon());
        m_tray.setToolTip(m_bridge.caption());
        if (pAcao == 0)
            m_tray.show();
        break;
    case 2:
        m_tray.hide();
        break;
    default:
        break;
    }
}

void MenuAutomacao::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        minimiseToTray();
}

void MenuAutomacao::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        layoutControls();
}

void MenuAutomacao::minimiseToTray()
{
    AtualizaIconeBandeja(0);
    // Without a tray the hidden window could never be brought back, so it stays minimised in
    // the task bar instead.
    if (!m_trayAvailable())
        return;
    // Hidden once the state change has been delivered, so the platform has finished minimising
    // and the window leaves the task bar too.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isMinimized())
                hide();
        },
        Qt::QueuedConnection);
}

void MenuAutomacao::showFromTray()
{
    // Whatever the pointer did on the icon, the window comes back; the icon stays.
    showNormal();
    raise();
    activateWindow();
}

void MenuAutomacao::showFromBackground()
{
    showNormal();
    AtualizaIconeBandeja(2);
    raise();
    activateWindow();
}

bool MenuAutomacao::isBackground(const QPoint& position) const
{
    // Presses on a greyed button reach the window too; those buttons do nothing when clicked.
    return rect().contains(position) && !childAt(position);
}

void MenuAutomacao::mousePressEvent(QMouseEvent* event)
{
    m_backgroundPressed = isBackground(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void MenuAutomacao::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release both on the background.
    if (std::exchange(m_backgroundPressed, false) && isBackground(event->position().toPoint()))
        showFromBackground();
    QWidget::mouseReleaseEvent(event);
}

void MenuAutomacao::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (isBackground(event->position().toPoint()))
        showFromBackground();
    QWidget::mouseDoubleClickEvent(event);
}

void MenuAutomacao::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_shown = true;
}

void MenuAutomacao::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // Start-up runs before the window is first shown, and a polling cycle can be held by a modal
    // box whose event loop lets a close through (logging off, a signal); unloading then would
    // release the back-office objects under them. The close is not refused: the box ends, start-up
    // carries the close out itself, and a cycle's close follows as soon as the cycle has returned.
    if (!m_shown || m_bridge.isCycleRunning()) {
        // Queued, so the close runs once the cycle's routine has returned all the way, not from
        // inside its last signal; and only now, so an ordinary cycle posts nothing to the window.
        if (m_shown && !m_closePending)
            connect(&m_bridge, &Bridge::cycleFinished, this, &MenuAutomacao::closeIfPending,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        m_closePending = m_shown;
        m_bridge.requestClose();
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void MenuAutomacao::closeIfPending()
{
    if (m_closePending && !m_bridge.isCycleRunning()) {
        m_closePending = false;
        close();
    }
}

void MenuAutomacao::unload()
{
    AtualizaIconeBandeja(2);
    m_unloaded = true;
    m_bridge.Form_Unload();
    // Queued on the window, so the close in progress finishes first; a window destroyed before
    // the event loop gets there (a test) takes the request with it.
    QMetaObject::invokeMethod(
        this, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}
