#include "player/ContextMenu.h"

#include "player/PlayerCommandIds.h"

namespace zepo {

namespace {
// Marks an action as ours and says which command it runs.
const char kCommandProperty[] = "zepoCommand";

QAction* addCommand(QMenu& menu, int id, const char* text, std::optional<bool> checked = std::nullopt)
{
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setProperty(kCommandProperty, id);
    if (checked) {
        action->setCheckable(true);
        action->setChecked(*checked);
    }
    return action;
}
} // namespace

std::unique_ptr<QMenu> buildContextMenu(const ContextMenuState& state, QWidget* parent)
{
    auto menu = std::make_unique<QMenu>(parent);
    if (state.fullScreen)
        addCommand(*menu, cmd::FullScreen, "フルスクリーン\tAlt+Enter or Esc", true);
    else
        addCommand(*menu, cmd::FullScreen, "フルスクリーン\tAlt+Enter", false);
    addCommand(*menu, cmd::TopMost, "最前面固定\tCtrl+F", state.topMost);
    addCommand(*menu, cmd::AspectDialog, "アスペクト比");
    addCommand(*menu, cmd::PlayList, "プレイリスト\tCtrl+Space", state.playlistVisible);

    QMenu* operation = menu->addMenu(QString::fromUtf8("操作"));
    addCommand(*operation, cmd::Play, "再生\tCtrl+Z");
    addCommand(*operation, cmd::Stop, "停止\tCtrl+X");
    addCommand(*operation, cmd::Pause, "一時停止\tCtrl+C");
    addCommand(*operation, cmd::Rewind, "巻き戻し\tCtrl+V or Ctrl+Left");
    addCommand(*operation, cmd::FastForward, "早送り\tCtrl+B or Ctrl+Right");
    addCommand(*operation, cmd::Repeat, "リピート\tCtrl+N");
    operation->addSeparator();
    addCommand(*operation, cmd::AspectChooser, "アスペクト比\tCtrl+A");
    addCommand(*operation, cmd::FixPanel, "パネル固定\tCtrl+S");
    operation->addSeparator();
    addCommand(*operation, cmd::PrevFile, "前のファイル\tPageUP");
    addCommand(*operation, cmd::NextFile, "次のファイル\tPageDown");
    operation->addSeparator();
    addCommand(*operation, cmd::VolumeUp, "音量Up\tCtrl+Up");
    addCommand(*operation, cmd::VolumeDown, "音量Down\tCtrl+Down");

    addCommand(*menu, cmd::Settings, "設定");
    menu->addSeparator();
    addCommand(*menu, cmd::About, "ZEPOのバージョン情報");
    return menu;
}

int commandOf(const QAction* action)
{
    return action ? action->property(kCommandProperty).toInt() : 0;
}

} // namespace zepo
