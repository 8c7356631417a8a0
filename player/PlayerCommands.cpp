// Commands, the input filter, shortcut keys and the context menu.
#include "player/CPlayerDlg.h"

namespace zepo {

void CPlayerDlg::OnCommand(int id)
{
    (void)id;
}

int CPlayerDlg::OnShortcutKey(int virtualKey, bool ctrlDown)
{
    (void)virtualKey;
    (void)ctrlDown;
    return 1;
}

CPlayerDlg::FilterOutcome CPlayerDlg::PreTranslateMessage(QObject* target, QEvent* event)
{
    (void)target;
    (void)event;
    return FilterOutcome::Standard;
}

void CPlayerDlg::ShowContextMenu(int x, int y)
{
    (void)x;
    (void)y;
}

} // namespace zepo
