#include "dialogs/CBasicSettingPage.h"

#include "platform/DialogUnits.h"
#include "res/DialogTemplates.h"

#include <QAbstractItemView>
#include <QStyle>
#include <algorithm>

namespace zepo {

namespace {
// The opened display-mode list is this tall, so that a long list of modes stays on screen
// and still shows a dozen or more at once.
constexpr int kOpenedListPixels = 200;

void place(QWidget& control, const DialogUnits& units, const DialogControl& source)
{
    control.setGeometry(units.rectOf(source.rect));
    if (source.id >= 0)
        control.setObjectName(QString::number(source.id));
}

void makeReadOnly(QLineEdit& edit)
{
    edit.setReadOnly(true);
    // Read-only edits wear the dialog's face colour, which tells them from edits the
    // user can type into.
    QPalette face = edit.palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    edit.setPalette(face);
}
} // namespace

ModeListBox::ModeListBox(QWidget* parent) : QComboBox(parent)
{
    // Some styles open a list over the whole screen, centred on the selected line, and
    // ignore any height; this one drops a list of the height asked for.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    // Its size hint is then the width that shows its widest entry whole.
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void ModeListBox::showPopup()
{
    if (count() > 0) {
        // The list's frame and margins take a few pixels of the height; the rest holds rows.
        const int frame = 2 * view()->frameWidth();
        const int row = std::max(1, view()->sizeHintForRow(0));
        if (openedListHeight_ > 0)
            setMaxVisibleItems(std::max(1, (openedListHeight_ - frame) / row));
        // The opened list is as wide as its widest line, never cut short to the width of
        // the closed box: every mode's number, size, depth and rate stay readable.
        const bool scrolls = count() > maxVisibleItems();
        const int scrollBar = scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view()) : 0;
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + frame + scrollBar);
    }
    QComboBox::showPopup();
}

CBasicSettingPage::CBasicSettingPage(QWidget* parent)
    : QWidget(parent),
      m_restore(QString::fromUtf8(tmpl::kBasicRestore.text), this),
      m_adjustSize(QString::fromUtf8(tmpl::kBasicAdjustSize.text), this),
      fullScreenGroup_(QString::fromUtf8(tmpl::kBasicFullScreenGroup.text), this),
      m_hideCursor(QString::fromUtf8(tmpl::kBasicHideCursor.text), this),
      m_changeResolution(QString::fromUtf8(tmpl::kBasicChangeResolution.text), this),
      currentLabel_(QString::fromUtf8(tmpl::kBasicCurrentLabel.text), this),
      m_current(this),
      recommendedLabel_(QString::fromUtf8(tmpl::kBasicRecommendedLabel.text), this),
      m_recommended(this),
      modeListLabel_(QString::fromUtf8(tmpl::kBasicModeListLabel.text), this),
      m_modeList(this)
{
    setObjectName(QString::number(tmpl::kBasicPage.id));
    setFont(dialogFont());
    const DialogUnits units;
    resize(units.sizeOf(tmpl::kBasicPage));

    place(m_restore, units, tmpl::kBasicRestore);
    place(m_adjustSize, units, tmpl::kBasicAdjustSize);
    // Stored and read back, never shown.
    m_adjustSize.hide();
    place(fullScreenGroup_, units, tmpl::kBasicFullScreenGroup);
    place(m_hideCursor, units, tmpl::kBasicHideCursor);
    place(m_changeResolution, units, tmpl::kBasicChangeResolution);
    place(currentLabel_, units, tmpl::kBasicCurrentLabel);
    place(m_current, units, tmpl::kBasicCurrentMode);
    place(recommendedLabel_, units, tmpl::kBasicRecommendedLabel);
    place(m_recommended, units, tmpl::kBasicRecommendedMode);
    place(modeListLabel_, units, tmpl::kBasicModeListLabel);
    place(m_modeList, units, tmpl::kBasicModeList);

    for (QLabel* label : {&currentLabel_, &recommendedLabel_, &modeListLabel_})
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    makeReadOnly(m_current);
    makeReadOnly(m_recommended);
    m_modeList.setOpenedListHeight(kOpenedListPixels);
}

int CBasicSettingPage::fitModeList()
{
    const int grow = m_modeList.sizeHint().width() - m_modeList.width();
    if (grow <= 0)
        return 0;
    // The group keeps the margin the template gives right of the list.
    const QRect group = fullScreenGroup_.geometry();
    const int margin = group.right() - m_modeList.geometry().right();
    m_modeList.resize(m_modeList.width() + grow, m_modeList.height());
    const int pass = std::max(0, m_modeList.geometry().right() + margin - group.right());
    fullScreenGroup_.resize(group.width() + pass, group.height());
    resize(width() + pass, height());
    return pass;
}

} // namespace zepo
