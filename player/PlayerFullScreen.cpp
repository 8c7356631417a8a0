// Full screen, the display-mode change that may go with it, and cursor hiding.
#include "player/CPlayerDlg.h"

namespace zepo {

void CPlayerDlg::ToggleFullScreen(int leaveOnly)
{
    (void)leaveOnly;
}

int CPlayerDlg::ChangeDisplayMode()
{
    return 0;
}

void CPlayerDlg::SetCursorHideTimer(int on)
{
    (void)on;
}

void CPlayerDlg::OnCursorHideTick() {}

} // namespace zepo
