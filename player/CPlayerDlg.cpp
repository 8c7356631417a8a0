#include "player/CPlayerDlg.h"

#include "settings/CSettingFile.h"
#include "movies/MovieEnvironment.h"
#include "platform/DialogUnits.h"
#include "platform/FrameExtents.h"
#include "platform/LeadingInt.h"
#include "platform/OuterGeometry.h"
#include "platform/ScreenFit.h"
#include "player/AppIcon.h"
#include "playlist/CPlayListDlg.h"
#include "res/DialogTemplates.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdint>

namespace zepo {

namespace {
const std::string kPrevInfo = "PrevInfo";
// Marks a geometry key that is absent; never written.
constexpr int kAbsent = -999;
// How long after restacking the pair it is looked at again: window managers answer a
// restack within a few display frames, even on a loaded machine.
constexpr int kRestackCheckMs = 250;
// Outer sizes when nothing is restored.
constexpr QSize kDefaultPlayerSize(320, 270);
constexpr QSize kDefaultPlayListSize(250, 350);
// The smallest client area: wide enough for the control panel to stay legible, yet
// below the default outer width of 320 whatever the frame, and a 65-pixel strip.
constexpr QSize kMinimumClient(300, 65);


// A saved rectangle, or nothing when any of its four keys is absent.
std::optional<SavedRect> readSavedRect(CSettingFile& s, const char* x, const char* y, const char* w, const char* h)
{
    const SavedRect rect{s.ReadInt(kPrevInfo, x, kAbsent), s.ReadInt(kPrevInfo, y, kAbsent),
                         s.ReadInt(kPrevInfo, w, kAbsent), s.ReadInt(kPrevInfo, h, kAbsent)};
    if (rect.x == kAbsent || rect.y == kAbsent || rect.width == kAbsent || rect.height == kAbsent)
        return std::nullopt;
    return rect;
}

// Where the saved playlist rectangle goes once the player's has been fitted on the screen:
// a list saved docked at the player's top-right corner stays docked there, wherever that
// is; any other is fitted on the screen itself.
QRect placeSavedPlaylist(const SavedRect& list, const SavedRect& savedPlayer, const QRect& player)
{
    QRect fitted = fitOnScreen(list, screenAreaFor(list));
    const bool docked = std::int64_t{savedPlayer.x} + savedPlayer.width == list.x && savedPlayer.y == list.y;
    if (docked)
        fitted = QRect(QPoint(player.x() + player.width(), player.y()), fitOnScreen(list, screenAreaFor(savedPlayer)).size());
    return fitted;
}
} // namespace

CPlayerDlg::CPlayerDlg(PlayerServices services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      player_(this),
      probe_(this),
      fullScreen_(*this, services_.displayModes, services_.desktop, services_.messages, services_.movies.timers),
      panelWatch_(services_.movies.timers),
      restackCheck_(services_.movies.timers)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(tmpl::kPlayer.caption));
    setFont(dialogFont());
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAcceptDrops(true);
    setMinimumSize(kMinimumClient);

    const DialogUnits units;
    resize(units.sizeOf(tmpl::kPlayer));
    probe_.setGeometry(units.rectOf(tmpl::kProbeMovie.rect));
    // The probe movie is measured, never seen.
    probe_.hide();
    player_.setGeometry(rect());

    connect(&player_, &CShockwaveFlash::FSCommand, this,
            [this](const std::string& command, const std::string& args) { OnPlayerFSCommand(command, args); });
    connect(&probe_, &CShockwaveFlash::FSCommand, this,
            [this](const std::string& command, const std::string& args) { OnProbeFSCommand(command, args); });
    player_.loadMovie(createMovie(tmpl::kPlayerMovie.id, services_.movies));
    probe_.loadMovie(createMovie(tmpl::kProbeMovie.id, services_.movies));

    OnInitDialog();
}

CPlayerDlg::~CPlayerDlg()
{
    qApp->removeEventFilter(this);
}

void CPlayerDlg::OnInitDialog()
{
    setWindowIcon(appIcon());
    fileName_.clear();
    initialised_ = true;
    topMost_ = false;
    settingDlgOpen_ = false;

    playlist_ = std::make_unique<CPlayListDlg>(services_.movies, services_.messages);
    playlist_->CreateListWindow(this);

    settings_ = std::make_unique<CSettingFile>(services_.executablePath, services_.messages);
    RestoreGeometry();
    qApp->installEventFilter(this);
    SetPanelWatch(true);
}

void CPlayerDlg::RestoreGeometry()
{
    CSettingFile& s = *settings_;
    bool moved = false;
    QRect player(frameGeometry().topLeft(), kDefaultPlayerSize);
    std::optional<QRect> list;
    if (s.Restore != 0) {
        // The file may hold anything: a rectangle larger than the screen, or off it.
        const std::optional<SavedRect> savedPlayer = readSavedRect(s, "Main_x", "Main_y", "Main_w", "Main_h");
        if (savedPlayer) {
            player = fitOnScreen(*savedPlayer, screenAreaFor(*savedPlayer));
            moved = true;
        }
        const std::optional<SavedRect> savedList =
            readSavedRect(s, "PlayList_x", "PlayList_y", "PlayList_w", "PlayList_h");
        if (savedList)
            list = savedPlayer ? placeSavedPlaylist(*savedList, *savedPlayer, player)
                               : fitOnScreen(*savedList, screenAreaFor(*savedList));
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
    setOuterGeometry(*playlist_, *list);
    playlist_->UpdateDocking();
    player_.setGeometry(rect());
}

void CPlayerDlg::ApplySavedState()
{
    panelHeight_ = leadingInt(player_.GetVariable("c_height"));
    if (settings_ && settings_->Restore == 1) {
        player_.SetVariable("vol_mfc", settings_->ReadString(kPrevInfo, "volume", "100"));
        player_.TGotoLabel(kCommandClip, "volSet");
        if (settings_->ReadInt(kPrevInfo, "TopMost", 0) == 1)
            setTopMost(true);
        if (settings_->ReadInt(kPrevInfo, "PlayList_Show", 0) == 1)
            playlist_->show();
        else
            playlist_->hide();
        if (settings_->ReadInt(kPrevInfo, "Panel_Fix", 0) == 1)
            player_.TGotoLabel(kCommandClip, "fix");
    }
    AddFiles(services_.arguments, AddMode::Replace);
}

void CPlayerDlg::SaveAndClose()
{
    if (closing_)
        return;
    closing_ = true;
    const std::optional<FullScreen::WindowedPlaces> windowed = fullScreen_.windowedPlaces();
    const QRect player = windowed ? windowed->player : normalOuterGeometry(*this);
    const QRect list = windowed ? windowed->playlist : normalOuterGeometry(*playlist_);
    CSettingFile& s = *settings_;
    s.BeginBatch();
    s.WriteInt(kPrevInfo, "Main_x", player.x());
    s.WriteInt(kPrevInfo, "Main_y", player.y());
    s.WriteInt(kPrevInfo, "Main_w", player.width());
    s.WriteInt(kPrevInfo, "Main_h", player.height());
    s.WriteInt(kPrevInfo, "PlayList_x", list.x());
    s.WriteInt(kPrevInfo, "PlayList_y", list.y());
    s.WriteInt(kPrevInfo, "PlayList_w", list.width());
    s.WriteInt(kPrevInfo, "PlayList_h", list.height());
    const bool listVisible = playlist_->isVisible();
    playlist_->hide();
    s.WriteInt(kPrevInfo, "PlayList_Show", listVisible ? 1 : 0);
    s.WriteInt(kPrevInfo, "Panel_Fix", player_.GetVariable("_root.fix_flag") == "0" ? 0 : 1);
    s.WriteInt(kPrevInfo, "TopMost", topMost_ ? 1 : 0);
    s.WriteString(kPrevInfo, "volume", player_.GetVariable("_root.vol_mfc"));
    s.EndBatch();
    settings_.reset();
    playlist_.reset();
    SetPanelWatch(false);
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
    if (initialised_)
        player_.setGeometry(rect());
    fullScreen_.onWindowGeometryChanged();
}

void CPlayerDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (initialised_)
        followDockedPlaylist();
    fullScreen_.onWindowGeometryChanged();
}

void CPlayerDlg::ToggleFullScreen(FullScreenToggle toggle)
{
    fullScreen_.toggle(toggle);
}

void CPlayerDlg::followDockedPlaylist()
{
    if (!playlist_ || !playlist_->m_docked)
        return;
    const QRect player = outerGeometry(*this);
    moveOuterTo(*playlist_, QPoint(player.x() + player.width(), player.y()));
}

QRect CPlayerDlg::playerFrameRect() const
{
    return outerGeometry(*this);
}

void CPlayerDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !closing_ && isActiveWindow())
        OnPairedActivation();
}

// The window the user activates comes on top with its partner directly behind it, so that
// the two stay together above other windows. Only the window that becomes active
// restacks: the one losing activation leaves the order alone, and no restack activates
// anything, so the two never answer each other.
void CPlayerDlg::OnPairedActivation()
{
    if (!playlist_ || !isVisible() || !playlist_->isVisible())
        return;
    if (isActiveWindow())
        services_.desktop.raiseWithPartner(winId(), playlist_->winId());
    else if (playlist_->isActiveWindow())
        services_.desktop.raiseWithPartner(playlist_->winId(), winId());
    else
        return;
    // A window manager may drop a restack that comes before its own raise of the window
    // it activated (kwin): a moment later the pair is looked at once more.
    restackCheck_.start(kRestackCheckMs, [this] {
        restackCheck_.stop();
        if (!playlist_ || !isVisible() || !playlist_->isVisible())
            return;
        QWidget* top = isActiveWindow() ? static_cast<QWidget*>(this)
                                        : (playlist_->isActiveWindow() ? playlist_.get() : nullptr);
        QWidget* partner = top == this ? static_cast<QWidget*>(playlist_.get()) : this;
        if (top && !services_.desktop.stackedBehind(top->winId(), partner->winId()))
            services_.desktop.raiseWithPartner(top->winId(), partner->winId());
    });
}

void CPlayerDlg::restoreIfMinimised()
{
    // A minimised window is not shown, and the toolkit holds its activation back until
    // it is: it must be brought back from the taskbar first.
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
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
