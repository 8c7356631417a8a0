#include "playlist/CPlayListDlg.h"

#include "movies/MovieEnvironment.h"
#include "platform/DialogUnits.h"
#include "platform/FrameExtents.h"
#include "platform/OuterGeometry.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogs.h"
#include "platform/PathText.h"
#include "platform/PointerButtons.h"
#include "platform/TaskbarHint.h"
#include "platform/VirtualKeys.h"
#include "playlist/PlayerWindowLink.h"
#include "res/DialogTemplates.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace zepo {

namespace {
// How near (pixels, each axis) the top-left corner must come to the player window's
// top-right corner to snap to it.
constexpr int kSnapDistance = 10;
// How often to look whether the user has let go of a window being dragged: a few display
// frames, quick enough that the snap looks like part of the drop.
constexpr int kReleaseWatchMs = 50;
} // namespace

CPlayListDlg::CPlayListDlg(MovieEnvironment& movies, MessageBoxService& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), m_movie(this), adding_(movies.timers, *this), snapOnRelease_(movies.timers)
{
    setWindowFlags(kCompanionWindowFrame);
    setWindowTitle(QString::fromUtf8(tmpl::kPlayList.caption));
    setFont(dialogFont());
    setAcceptDrops(true);
    const DialogUnits units;
    resize(units.sizeOf(tmpl::kPlayList));
    m_movie.setGeometry(rect());
    connect(&m_movie, &CShockwaveFlash::FSCommand, this,
            [this](const std::string& command, const std::string& args) { OnMovieCommand(command, args); });
    m_movie.loadMovie(createMovie(tmpl::kPlayListMovie.id, movies));
}

CPlayListDlg::~CPlayListDlg()
{
    qApp->removeEventFilter(this);
}

void CPlayListDlg::CreateListWindow(PlayerWindowLink* player)
{
    m_player = player;
    // Created hidden; the player window decides where it goes and whether it shows. The
    // native window exists from now on, so the desktop lists it even while hidden.
    setVisible(false);
    (void)winId();
    qApp->installEventFilter(this);
}

void CPlayListDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_movie.setGeometry(rect());
}

void CPlayListDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    UpdateDocking();
}

void CPlayListDlg::UpdateDocking()
{
    if (!m_player)
        return;
    const QRect p = m_player->playerFrameRect();
    const QRect l = outerGeometry(*this);
    const int playerRight = p.x() + p.width();
    if (l.left() - kSnapDistance <= playerRight && playerRight <= l.left() + kSnapDistance
        && l.top() - kSnapDistance <= p.top() && p.top() <= l.top() + kSnapDistance) {
        m_docked = true;
        if (l.topLeft() != QPoint(playerRight, p.top())) {
            moveOuterTo(*this, QPoint(playerRight, p.top()));
            // A window manager that drags the window itself ignores the move asked for
            // meanwhile (xfwm4): the snap is made again once the window is let go.
            snapOnRelease_.start(kReleaseWatchMs, [this] { snapOnceReleased(); });
        }
    } else {
        m_docked = false;
    }
}

void CPlayListDlg::snapOnceReleased()
{
    if (pointerButtonHeld())
        return;
    snapOnRelease_.stop();
    if (!m_docked || !m_player)
        return;
    const QRect p = m_player->playerFrameRect();
    moveOuterTo(*this, QPoint(p.x() + p.width(), p.top()));
    repeatPlacement(*this);
}

void CPlayListDlg::setVisible(bool visible)
{
    if (!visible && isVisible())
        keepOuterWhileHidden(*this);
    if (visible && !isVisible() && testAttribute(Qt::WA_WState_Created)) {
        // A companion without a taskbar button of its own; the hint goes before each map.
        keepOffTaskbar(*this);
        placeKeptOuterForShow(*this);
    }
    QDialog::setVisible(visible);
}

void CPlayListDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        OnPairedActivation();
}

// The player window keeps the pair together: this window, now active, gets the player
// directly behind it.
void CPlayListDlg::OnPairedActivation()
{
    if (m_player)
        m_player->OnPairedActivation();
}

// Enter never closes the window; Escape and the close box only hide it.
void CPlayListDlg::accept() {}

void CPlayListDlg::reject()
{
    hide();
}

bool CPlayListDlg::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return QDialog::eventFilter(watched, event);
    return PreTranslateMessage(watched, event) == FilterOutcome::Consumed;
}

FilterOutcome CPlayListDlg::PreTranslateMessage(QObject* target, QEvent* event)
{
    (void)target;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = virtualKeyFromQt(key->key());
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        // Alt alone makes a system key, as in the player window; Ctrl+Alt does not.
        if ((key->modifiers() & Qt::AltModifier) && !ctrl) {
            if (code == vk::Return) {
                if (m_player)
                    m_player->ToggleFullScreen(FullScreenToggle::EnterOrLeave);
                return FilterOutcome::Consumed;
            }
            return FilterOutcome::Direct;
        }
        if (code == vk::Delete) {
            m_movie.TGotoLabel(kCommandClip, "delSelectFlv");
            return FilterOutcome::Consumed;
        }
        if (code == vk::Up || code == vk::Down)
            return FilterOutcome::Standard;
        if (code == 0 || !m_player)
            return FilterOutcome::Standard;
        if (m_player->OnShortcutKey(code, ctrl) == FilterOutcome::Standard)
            return FilterOutcome::Standard;
        // Direct: the key reaches its target, but never the dialog's Enter and Escape
        // handling. Escape and Enter have no other use here, so they end at the filter.
        return (code == vk::Escape || code == vk::Return) ? FilterOutcome::Consumed : FilterOutcome::Direct;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return FilterOutcome::Consumed;
        return FilterOutcome::Standard;
    case QEvent::ContextMenu:
        return FilterOutcome::Consumed;
    default:
        return FilterOutcome::Standard;
    }
}

void CPlayListDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CPlayListDlg::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    event->acceptProposedAction();
    OnDropFiles(paths);
}

void CPlayListDlg::OnDropFiles(const std::vector<std::string>& dropped)
{
    raise();
    activateWindow();
    addFilesTo(this, dropped, AddMode::Append, messages_);
}

} // namespace zepo
