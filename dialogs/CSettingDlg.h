#pragma once

#include "dialogs/CBasicSettingPage.h"
#include "dialogs/CSpareSettingPage.h"

#include <QDialog>
#include <QPushButton>
#include <QTabBar>

namespace zepo {

class CSettingFile;
class DisplayModes;
class MessageBoxService;

// The pane of the tab control under its tab row: the frame the pages sit in.
class TabPane : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The settings dialog (template 136): a tab control over the basic page and the spare
// page, and Apply, OK and Cancel. It edits the five preferences of the settings object;
// Apply and OK copy the basic page into the object and write the settings file, Cancel
// (also Escape and the close box) leaves both as they are. Run it modally with exec().
class CSettingDlg : public QDialog {
    Q_OBJECT
public:
    CSettingDlg(CSettingFile& settings, DisplayModes& modes, MessageBoxService& messages, QWidget* parent);
    ~CSettingDlg() override;

    // Apply (button 1027): store; the dialog stays open.
    void OnApply();
    // Store, then close with Accepted.
    void OnOK();
    // Close without storing.
    void OnCancel();
    // The tab control's selection changed: show the page of the selected tab.
    void OnSelChangeTab();

    CBasicSettingPage& basicPage() { return m_basic; }
    CSpareSettingPage& sparePage() { return m_spare; }
    QTabBar& tabControl() { return m_tab; }
    QPushButton& applyButton() { return apply_; }
    QPushButton& okButton() { return ok_; }
    QPushButton& cancelButton() { return cancel_; }

    // The mode number recommended for full screen when the dialog opened; -1 for none.
    int recommendedMode() const { return recommended_; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    void OnInitDialog();
    // The tab control's display area in the dialog's coordinates: its rectangle without
    // the tab row, the pane's border and the margin inside it.
    QRect tabDisplayArea() const;
    void FillModes(); // current mode, mode list, recommended mode
    void Store();

    CSettingFile& settings_;
    DisplayModes& modes_;
    MessageBoxService& messages_;
    int recommended_ = -1;

    // Widgets in stacking order: the tab pane lies under the pages, its tab row above it.
    TabPane tabPane_;
    QTabBar m_tab;
    CBasicSettingPage m_basic;
    CSpareSettingPage m_spare;
    QPushButton apply_;
    QPushButton ok_;
    QPushButton cancel_;
};

} // namespace zepo
