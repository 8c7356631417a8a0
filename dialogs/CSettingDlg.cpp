#include "dialogs/CSettingDlg.h"

#include "settings/CSettingFile.h"
#include "platform/CurrentDisplayMode.h"
#include "platform/DefaultDisplayMode.h"
#include "platform/DialogUnits.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogs.h"
#include "platform/PathText.h"
#include "res/DialogTemplates.h"
#include "res/MessageTexts.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zepo {

namespace {
// The tab control keeps a 2-pixel border and a 2-pixel gap inside its pane around the
// display area of the pages.
constexpr int kPaneInset = 4;

void place(QPushButton& button, const DialogUnits& units, const DialogControl& source)
{
    button.setText(QString::fromUtf8(source.text));
    button.setGeometry(units.rectOf(source.rect));
    button.setObjectName(QString::number(source.id));
}

std::string modeText(const DisplayMode& m)
{
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d %dbit %dHz", m.width, m.height, m.bitsPerPixel, m.refreshHz);
    return text;
}

std::string numberedModeText(int number, const DisplayMode& m)
{
    char text[80];
    std::snprintf(text, sizeof text, "%03d : %dx%d %dbit %dHz", number, m.width, m.height, m.bitsPerPixel,
                  m.refreshHz);
    return text;
}

// Every mode the platform reports, in its order, duplicates included.
std::vector<DisplayMode> allModes(DisplayModes& modes)
{
    std::vector<DisplayMode> list;
    while (const auto mode = modes.mode(static_cast<int>(list.size())))
        list.push_back(*mode);
    return list;
}

void showText(QLineEdit& edit, const std::string& text)
{
    edit.setText(toQt(text));
    // Show the start of a text longer than the edit.
    edit.setCursorPosition(0);
}

int checkValue(const QCheckBox& box) { return box.isChecked() ? 1 : 0; }
} // namespace

void TabPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

CSettingDlg::CSettingDlg(CSettingFile& settings, DisplayModes& modes, MessageBoxService& messages, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      modes_(modes),
      messages_(messages),
      tabPane_(this),
      m_tab(this),
      m_basic(this),
      m_spare(this),
      apply_(this),
      ok_(this),
      cancel_(this)
{
    setWindowFlags(kDialogFrame);
    setWindowTitle(QString::fromUtf8(tmpl::kSetting.caption));
    setObjectName(QString::number(tmpl::kSetting.id));
    setFont(dialogFont());
    const DialogUnits units;
    // A modal frame: the template's size, not resizable.
    setFixedSize(units.sizeOf(tmpl::kSetting));

    place(apply_, units, tmpl::kSettingApply);
    place(ok_, units, tmpl::kSettingOk);
    place(cancel_, units, tmpl::kSettingCancel);
    ok_.setDefault(true);
    connect(&apply_, &QPushButton::clicked, this, &CSettingDlg::OnApply);
    connect(&ok_, &QPushButton::clicked, this, &CSettingDlg::OnOK);
    connect(&cancel_, &QPushButton::clicked, this, &CSettingDlg::OnCancel);

    m_tab.setObjectName(QString::number(tmpl::kSettingTab.id));
    m_tab.setExpanding(false);
    m_tab.setDrawBase(false);

    OnInitDialog();
}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::OnInitDialog()
{
    for (const char* label : tmpl::kSettingTabs)
        m_tab.addTab(QString::fromUtf8(label));
    const QRect tab = DialogUnits().rectOf(tmpl::kSettingTab.rect);
    m_tab.setGeometry(QRect(tab.topLeft(), m_tab.sizeHint()));
    // The selected tab stands on the pane's top edge, as in a tab widget.
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, &m_tab);
    tabPane_.setGeometry(tab.adjusted(0, m_tab.height() - overlap, 0, 0));
    const QRect display = tabDisplayArea();
    m_basic.setGeometry(display);
    m_spare.setGeometry(display);
    m_basic.show();
    m_spare.hide();
    connect(&m_tab, &QTabBar::currentChanged, this, &CSettingDlg::OnSelChangeTab);

    FillModes();

    m_basic.restoreBox().setChecked(settings_.Restore == 1);
    m_basic.adjustSizeBox().setChecked(settings_.AdjustSize == 1);
    m_basic.hideCursorBox().setChecked(settings_.HideCursor == 1);
    m_basic.changeResolutionBox().setChecked(settings_.ChangeResolution == 1);

    const int wanted = settings_.ResolutionFullSize == -1 ? recommended_ : settings_.ResolutionFullSize;
    ModeListBox& list = m_basic.modeList();
    list.setCurrentIndex(wanted >= 0 && wanted < list.count() ? wanted : -1);
}

QRect CSettingDlg::tabDisplayArea() const
{
    const QRect pane = tabPane_.geometry();
    return pane.adjusted(kPaneInset, kPaneInset, -kPaneInset, -kPaneInset);
}

void CSettingDlg::FillModes()
{
    const DisplayMode current = currentDisplayMode(modes_);
    showText(m_basic.currentEdit(), modeText(current));

    const std::vector<DisplayMode> modes = allModes(modes_);
    ModeListBox& list = m_basic.modeList();
    for (int n = 0; n < static_cast<int>(modes.size()); ++n)
        list.addItem(toQt(numberedModeText(n, modes[n])));
    // A wider page widens the tab's pane, the other page and the dialog with it.
    if (const int wider = m_basic.fitModeList(); wider > 0) {
        setFixedSize(width() + wider, height());
        tabPane_.resize(tabPane_.width() + wider, tabPane_.height());
        m_spare.resize(m_spare.width() + wider, m_spare.height());
    }

    recommended_ = defaultFullScreenMode(modes_, current).value_or(-1);
    if (recommended_ >= static_cast<int>(modes.size()))
        recommended_ = -1; // the display's modes changed meanwhile
    if (recommended_ < 0) {
        // Nothing to recommend: the edit stays empty rather than showing a made-up mode.
        messages_.show(kNoDisplayModeText);
        return;
    }
    showText(m_basic.recommendedEdit(), numberedModeText(recommended_, modes[recommended_]));
}

void CSettingDlg::OnSelChangeTab()
{
    const int index = m_tab.currentIndex();
    m_basic.setVisible(index == 0);
    m_spare.setVisible(index == 1);
}

void CSettingDlg::Store()
{
    settings_.Restore = checkValue(m_basic.restoreBox());
    settings_.AdjustSize = checkValue(m_basic.adjustSizeBox());
    settings_.HideCursor = checkValue(m_basic.hideCursorBox());
    settings_.ChangeResolution = checkValue(m_basic.changeResolutionBox());
    settings_.ResolutionFullSize = m_basic.modeList().currentIndex();
    settings_.Save();
}

void CSettingDlg::OnApply() { Store(); }

void CSettingDlg::OnOK()
{
    Store();
    QDialog::accept();
}

void CSettingDlg::OnCancel() { QDialog::reject(); }

} // namespace zepo
