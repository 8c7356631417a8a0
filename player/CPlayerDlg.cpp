#include "player/CPlayerDlg.h"

#include "app/CSettingFile.h"
#include "movies/MovieEnvironment.h"
#include "platform/DialogUnits.h"
#include "platform/FrameExtents.h"
#include "platform/LeadingInt.h"
#include "platform/OuterGeometry.h"
#include "player/AppIcon.h"
#include "playlist/CPlayListDlg.h"
#include "res/DialogTemplates.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace zepo {

namespace {
const std::string kPrevInfo = "PrevInfo";
// Marks a geometry key that is absent; never written.
constexpr int kAbsent = -999;
// Outer sizes when nothing is restored.
constexpr QSize kDefaultPlayerSize(320, 270);
constexpr QSize kDefaultPlayListSize(250, 350);
// The smallest client area: wide enough for the control panel to stay legible, yet
// below the default outer width of 320 whatever the frame, and a 65-pixel strip.
constexpr QSize kMinimumClient(300, 65);

// Process-wide activation guard of the player window's half of the paired activation.
int g_playerActivationGuard = 1;

QRect frameRectOf(const QWidget& w)
{
    // The normal (not maximised or minimised) outer rectangle.
    if (w.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return w.normalGeometry().marginsAdded(frameExtents(w).value_or(QMargins()));
    return outerGeometry(w);
}
} // namespace

CPlayerDlg::CPlayerDlg(PlayerServices services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      m_player(this),
      m_probe(this),
      panelWatch_(services_.movies.timers),
      cursorHide_(services_.movies.timers)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(tmpl::kPlayerCaption));
    setFont(dialogFont());
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAcceptDrops(true);
    setMinimumSize(kMinimumClient);

    const DialogUnits units;
    resize(units.toPixels(QSize(tmpl::kPlayerSize.width, tmpl::kPlayerSize.height)));
    const auto probe = tmpl::kProbeMovie.rect;
    m_probe.setGeometry(units.toPixels(QRect(probe.x, probe.y, probe.width, probe.height)));
    // The probe movie is measured, never seen.
    m_probe.hide();
    m_player.setGeometry(rect());

    connect(&m_player, &CShockwaveFlash::FSCommand, this,
            [this](const std::string& command, const std::string& args) { OnPlayerFSCommand(command, args); });
    connect(&m_probe, &CShockwaveFlash::FSCommand, this,
            [this](const std::string& command, const std::string& args) { OnProbeFSCommand(command, args); });
    m_player.loadMovie(createMovie(tmpl::kPlayerMovie.id, services_.movies));
    m_probe.loadMovie(createMovie(tmpl::kProbeMovie.id, services_.movies));

    OnInitDialog();
}

CPlayerDlg::~CPlayerDlg()
{
    qApp->removeEventFilter(this);
}

void CPlayerDlg::OnInitDialog()
{
    setWindowIcon(appIcon());
    m_fileName.clear();
    m_filePath.clear();
    m_initialised = 1;
    m_fullScreen = 0;
    m_topMost = 0;
    m_settingDlgOpen = 0;

    m_playlist = std::make_unique<CPlayListDlg>(services_.movies, services_.messages);
    m_playlist->CreateListWindow(this);

    m_settings = std::make_unique<CSettingFile>(services_.executablePath, services_.messages);
    RestoreGeometry();
    qApp->installEventFilter(this);
    SetPanelWatch(1);
}

void CPlayerDlg::RestoreGeometry()
{
    CSettingFile& s = *m_settings;
    bool moved = false;
    QRect player;
    std::optional<QRect> list;
    if (s.Restore != 0) {
        const int x = s.ReadInt(kPrevInfo, "Main_x", kAbsent), y = s.ReadInt(kPrevInfo, "Main_y", kAbsent);
        const int w = s.ReadInt(kPrevInfo, "Main_w", kAbsent), h = s.ReadInt(kPrevInfo, "Main_h", kAbsent);
        if (x == kAbsent || y == kAbsent || w == kAbsent || h == kAbsent) {
            player = QRect(frameGeometry().topLeft(), kDefaultPlayerSize);
        } else {
            player = QRect(x, y, w, h);
            moved = true;
        }
        const int lx = s.ReadInt(kPrevInfo, "PlayList_x", kAbsent), ly = s.ReadInt(kPrevInfo, "PlayList_y", kAbsent);
        const int lw = s.ReadInt(kPrevInfo, "PlayList_w", kAbsent), lh = s.ReadInt(kPrevInfo, "PlayList_h", kAbsent);
        if (lx != kAbsent && ly != kAbsent && lw != kAbsent && lh != kAbsent)
            list = QRect(lx, ly, lw, lh);
    } else {
        player = QRect(frameGeometry().topLeft(), kDefaultPlayerSize);
    }
    if (!moved) {
        // The system centres a dialog that its template does not place.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            player.moveTopLeft(area.center() - QPoint(player.width() / 2, player.height() / 2));
        }
    }
    setOuterGeometry(*this, player, [this] { followDockedPlaylist(); });
    if (!list)
        list = QRect(QPoint(player.x() + player.width(), player.y()), kDefaultPlayListSize);
    setOuterGeometry(*m_playlist, *list);
    m_playlist->UpdateDocking();
    m_player.setGeometry(rect());
}

void CPlayerDlg::ApplySavedState()
{
    m_panelHeight = leadingInt(m_player.GetVariable("c_height"));
    if (m_settings && m_settings->Restore == 1) {
        m_player.SetVariable("vol_mfc", m_settings->ReadString(kPrevInfo, "volume", "100"));
        m_player.TGotoLabel("FromMFC_mc", "volSet");
        if (m_settings->ReadInt(kPrevInfo, "TopMost", 0) == 1)
            setTopMost(true);
        if (m_settings->ReadInt(kPrevInfo, "PlayList_Show", 0) == 1)
            m_playlist->show();
        else
            m_playlist->hide();
        if (m_settings->ReadInt(kPrevInfo, "Panel_Fix", 0) == 1)
            m_player.TGotoLabel("FromMFC_mc", "fix");
    }
    AddFiles(services_.arguments, 0);
}

void CPlayerDlg::SaveAndClose()
{
    if (closing_)
        return;
    closing_ = true;
    const QRect player = frameRectOf(*this);
    const QRect list = frameRectOf(*m_playlist);
    CSettingFile& s = *m_settings;
    s.BeginBatch();
    s.WriteInt(kPrevInfo, "Main_x", player.x());
    s.WriteInt(kPrevInfo, "Main_y", player.y());
    s.WriteInt(kPrevInfo, "Main_w", player.width());
    s.WriteInt(kPrevInfo, "Main_h", player.height());
    s.WriteInt(kPrevInfo, "PlayList_x", list.x());
    s.WriteInt(kPrevInfo, "PlayList_y", list.y());
    s.WriteInt(kPrevInfo, "PlayList_w", list.width());
    s.WriteInt(kPrevInfo, "PlayList_h", list.height());
    const bool listVisible = m_playlist->isVisible();
    m_playlist->hide();
    s.WriteInt(kPrevInfo, "PlayList_Show", listVisible ? 1 : 0);
    s.WriteInt(kPrevInfo, "Panel_Fix", m_player.GetVariable("_root.fix_flag") == "0" ? 0 : 1);
    s.WriteInt(kPrevInfo, "TopMost", m_topMost ? 1 : 0);
    s.WriteString(kPrevInfo, "volume", m_player.GetVariable("_root.vol_mfc"));
    s.EndBatch();
    m_settings.reset();
    m_playlist.reset();
    SetPanelWatch(0);
}

void CPlayerDlg::closeEvent(QCloseEvent* event)
{
    SaveAndClose();
    event->accept();
    QDialog::reject();
}

// Enter and Escape never end the player window as a dialog's default and cancel keys
// would; only closing it does.
void CPlayerDlg::reject()
{
    if (closing_)
        QDialog::reject();
}

void CPlayerDlg::accept() {}

void CPlayerDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_initialised)
        m_player.setGeometry(rect());
}

void CPlayerDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (m_initialised)
        followDockedPlaylist();
}

void CPlayerDlg::followDockedPlaylist()
{
    if (!m_playlist || m_playlist->m_docked != 1)
        return;
    const QRect player = outerGeometry(*this);
    moveOuterTo(*m_playlist, QPoint(player.x() + player.width(), player.y()));
}

QRect CPlayerDlg::playerFrameRect() const
{
    return outerGeometry(*this);
}

void CPlayerDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !closing_)
        OnPairedActivation();
}

void CPlayerDlg::OnPairedActivation()
{
    if (!m_playlist)
        return;
    if (m_playlist->isVisible() && isVisible())
        services_.desktop.stackBehind(m_playlist->winId(), winId());
    if (g_playerActivationGuard) {
        g_playerActivationGuard = 0;
        m_playlist->OnPairedActivation();
        g_playerActivationGuard = 1;
    }
}

bool CPlayerDlg::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return QDialog::eventFilter(watched, event);
    return PreTranslateMessage(watched, event) == FilterOutcome::Consumed;
}

// The system runs a modal dialog by disabling its owner only, and the player window has
// none; QDialog::exec() would block every other window of the application instead, the
// playlist window included.
int CPlayerDlg::exec()
{
    show();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    return result();
}

} // namespace zepo
