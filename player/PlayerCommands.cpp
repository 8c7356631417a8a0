// Commands, the input filter, shortcut keys and the context menu.
#include "settings/CSettingFile.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/CAspectDlg.h"
#include "dialogs/CSettingDlg.h"
#include "platform/ModalDialogs.h"
#include "platform/PathText.h"
#include "platform/VirtualKeys.h"
#include "player/CPlayerDlg.h"

#include <QApplication>
#include "player/ContextMenu.h"
#include "player/PlayerCommandIds.h"
#include "player/ShortcutKeys.h"
#include "playlist/CPlayListDlg.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

namespace zepo {

namespace {
// The commands that are one host command to the player movie.
struct PlayerRelay {
    int command;
    const char* label;
};
constexpr PlayerRelay kPlayerRelays[] = {
    {cmd::Rewind, "back"},      {cmd::FastForward, "forward"}, {cmd::Pause, "pause"},
    {cmd::Play, "play"},        {cmd::Stop, "stop"},           {cmd::Repeat, "repeat"},
    {cmd::AspectChooser, "ratio"}, {cmd::FixPanel, "fix"},    {cmd::VolumeUp, "volUp"},
    {cmd::VolumeDown, "volDown"},
};
} // namespace

void CPlayerDlg::OnCommand(int id)
{
    for (const PlayerRelay& relay : kPlayerRelays) {
        if (relay.command == id) {
            player_.TGotoLabel(kCommandClip, relay.label);
            return;
        }
    }
    switch (id) {
    case cmd::FullScreen:
        ToggleFullScreen(FullScreenToggle::EnterOrLeave);
        break;
    case cmd::TopMost:
        toggleTopMost();
        break;
    case cmd::PlayList:
        togglePlaylist();
        break;
    case cmd::PrevFile:
        if (playlist_)
            playlist_->movie().TGotoLabel(kCommandClip, "gotoPrevFlv_2");
        break;
    case cmd::NextFile:
        if (playlist_)
            playlist_->movie().TGotoLabel(kCommandClip, "gotoNextFlv_2");
        break;
    case cmd::Settings:
        runSettingsCommand();
        break;
    case cmd::AspectDialog:
        runAspectDialog();
        break;
    case cmd::About:
        runAboutBox();
        break;
    default:
        break;
    }
}

void CPlayerDlg::toggleTopMost()
{
    setTopMost(!topMost_);
}

void CPlayerDlg::setTopMost(bool on)
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow* handle = windowHandle()) {
        // Changed on the native window in place: setWindowFlags would unmap and map the
        // window again, and it must neither move, nor flicker, nor be framed anew (a
        // window manager that frames it again takes the client's size for the outer one).
        overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
    topMost_ = on;
}

void CPlayerDlg::togglePlaylist()
{
    if (!playlist_)
        return;
    if (playlist_->isVisible()) {
        playlist_->hide();
        return;
    }
    playlist_->show();
    playlist_->raise();
    playlist_->activateWindow();
}

void CPlayerDlg::runSettingsCommand()
{
    ToggleFullScreen(FullScreenToggle::LeaveOnly);
    if (!settings_)
        return;
    // While the flag is set a double-click on the video does not toggle full screen.
    settingDlgOpen_ = true;
    CSettingDlg dialog(*settings_, services_.displayModes, services_.messages, this);
    execOwnerModal(dialog);
    settingDlgOpen_ = false;
}

// The dialog reads and writes the player movie through its control.
void CPlayerDlg::runAspectDialog()
{
    CAspectDlg dialog(player_, this);
    execOwnerModal(dialog);
}

void CPlayerDlg::runAboutBox()
{
    CAboutDlg dialog(services_.movies, this);
    execOwnerModal(dialog);
}

FilterOutcome CPlayerDlg::OnShortcutKey(int virtualKey, bool ctrlDown)
{
    const ShortcutAction action = shortcutFor(virtualKey, ctrlDown);
    switch (action.kind) {
    case ShortcutAction::Kind::Command:
        OnCommand(action.command);
        break;
    case ShortcutAction::Kind::LeaveFullScreen:
        ToggleFullScreen(FullScreenToggle::LeaveOnly);
        break;
    case ShortcutAction::Kind::None:
        break;
    }
    return action.delivery;
}

bool CPlayerDlg::isPropagatedDelivery(QObject* target, QEvent* event)
{
    const auto* input = static_cast<const QInputEvent*>(event);
    const LastInput& last = lastInput_;
    auto* widget = qobject_cast<QWidget*>(last.target.data());
    auto* ancestor = qobject_cast<QWidget*>(target);
    const bool repeat = last.event == event && last.type == event->type() && last.timestamp == input->timestamp()
                        && widget && ancestor && ancestor != widget && ancestor->isAncestorOf(widget);
    if (!repeat)
        lastInput_ = {event, event->type(), input->timestamp(), target};
    return repeat;
}

bool CPlayerDlg::isFirstKeyReceiver(QObject* target) const
{
    // A key goes first to the focus widget (or to the window when nothing has focus);
    // a control that ignores it passes the same event up to its parents, which must not
    // act on it again.
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)))
        return target == focus;
    return false;
}

FilterOutcome CPlayerDlg::PreTranslateMessage(QObject* target, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Events that programs synthesise all carry the time 0 and may reuse one address,
        // so a key that reaches its focus widget is always a new press.
        const bool propagated = isPropagatedDelivery(target, event);
        if (propagated && !isFirstKeyReceiver(target))
            return FilterOutcome::Standard;
        return filterKeyPress(static_cast<QKeyEvent*>(event));
    }
    case QEvent::MouseMove:
        fullScreen_.onPointerMoved();
        return FilterOutcome::Standard;
    case QEvent::MouseButtonDblClick:
        return filterDoubleClick(target, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonPress:
        // The movies never see the right button, so no control's own menu opens.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return FilterOutcome::Consumed;
        return FilterOutcome::Standard;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return FilterOutcome::Standard;
        QPoint point = mouse->position().toPoint();
        if (auto* widget = qobject_cast<QWidget*>(target); widget && widget != this)
            point = widget->mapTo(this, point);
        ShowContextMenu(point.x(), point.y());
        return FilterOutcome::Consumed;
    }
    case QEvent::ContextMenu:
        return FilterOutcome::Consumed;
    case QEvent::Wheel:
        if (!isPropagatedDelivery(target, event))
            onWheel(static_cast<QWheelEvent*>(event));
        return FilterOutcome::Standard;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData() && drag->mimeData()->hasUrls())
            drag->acceptProposedAction();
        return FilterOutcome::Standard;
    }
    case QEvent::Drop:
        onDrop(static_cast<QDropEvent*>(event));
        return FilterOutcome::Standard;
    default:
        return FilterOutcome::Standard;
    }
}

FilterOutcome CPlayerDlg::filterKeyPress(QKeyEvent* event)
{
    const int key = virtualKeyFromQt(event->key());
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Alt alone turns a key into a system key: only Alt+Enter acts, and no other system
    // key reaches the shortcuts or the dialog's key handling.
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier)) {
        if (key == vk::Return) {
            ToggleFullScreen(FullScreenToggle::EnterOrLeave);
            return FilterOutcome::Consumed;
        }
        return FilterOutcome::Direct;
    }
    return OnShortcutKey(key, modifiers & Qt::ControlModifier);
}

FilterOutcome CPlayerDlg::filterDoubleClick(QObject* target, QMouseEvent* event)
{
    // A second right press arrives as a double-click; the movies never see it either.
    if (event->button() == Qt::RightButton)
        return FilterOutcome::Consumed;
    if (event->button() != Qt::LeftButton)
        return FilterOutcome::Standard;
    QPoint point = event->position().toPoint();
    if (auto* widget = qobject_cast<QWidget*>(target); widget && widget != this)
        point = widget->mapTo(this, point);
    // The boundary row belongs to the video; below it lies the control panel.
    if (point.y() <= height() - panelHeight_ && !settingDlgOpen_) {
        ToggleFullScreen(FullScreenToggle::EnterOrLeave);
        return FilterOutcome::Consumed;
    }
    return FilterOutcome::Standard;
}

void CPlayerDlg::onWheel(QWheelEvent* event)
{
    // The button state now, not the one the event was made with.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    const int delta = event->angleDelta().y();
    if (delta > 0)
        OnCommand(cmd::VolumeUp);
    else if (delta < 0)
        OnCommand(cmd::VolumeDown);
}

void CPlayerDlg::onDrop(QDropEvent* event)
{
    raise();
    activateWindow();
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    event->acceptProposedAction();
    const bool append = event->modifiers() & Qt::ControlModifier;
    AddFiles(paths, append ? AddMode::Append : AddMode::Replace);
}

void CPlayerDlg::ShowContextMenu(int x, int y)
{
    ContextMenuState state;
    state.fullScreen = fullScreen_.isOn();
    state.topMost = topMost_;
    state.playlistVisible = playlist_ && playlist_->isVisible();
    std::unique_ptr<QMenu> menu = buildContextMenu(state, this);
    const QPoint screenPos = mapToGlobal(QPoint(x, y));
    QAction* chosen = menuRunner_ ? menuRunner_(*menu, screenPos) : menu->exec(screenPos);
    const int id = commandOf(chosen);
    menu.reset();
    if (id != 0)
        OnCommand(id);
}

} // namespace zepo
