#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace zepo {

// The display-mode drop-down list: it drops below itself, and whatever the number of
// modes, its opened list is never taller than the page asks for.
class ModeListBox : public QComboBox {
public:
    explicit ModeListBox(QWidget* parent);
    void setOpenedListHeight(int pixels) { openedListHeight_ = pixels; }
    void showPopup() override;

private:
    int openedListHeight_ = 0; // 0: the toolkit's own height
};

// The first page of the settings dialog (template 137), a child of the dialog: the check
// boxes of the preferences, the current and recommended display modes, and the list of
// every display mode. It only holds the controls; the settings dialog fills and reads
// them. Keys it does not use (Enter, Escape) go on to the settings dialog.
class CBasicSettingPage : public QWidget {
public:
    explicit CBasicSettingPage(QWidget* parent);

    QLineEdit& recommendedEdit() { return m_recommended; }
    QLineEdit& currentEdit() { return m_current; }
    ModeListBox& modeList() { return m_modeList; }
    // Widens the closed display-mode list to its widest entry, so that the chosen mode
    // shows whole; when it then passes the full-screen group's edge, the group and the
    // page grow with it. How many pixels wider the page became.
    int fitModeList();
    QCheckBox& restoreBox() { return m_restore; }
    QCheckBox& hideCursorBox() { return m_hideCursor; }
    QCheckBox& adjustSizeBox() { return m_adjustSize; }
    QCheckBox& changeResolutionBox() { return m_changeResolution; }

private:
    // Created in the template's order, which is also the stacking and tab order: the
    // group box lies under the controls drawn over it.
    QCheckBox m_restore;
    QCheckBox m_adjustSize;
    QGroupBox fullScreenGroup_;
    QCheckBox m_hideCursor;
    QCheckBox m_changeResolution;
    QLabel currentLabel_;
    QLineEdit m_current;
    QLabel recommendedLabel_;
    QLineEdit m_recommended;
    QLabel modeListLabel_;
    ModeListBox m_modeList;
};

} // namespace zepo
