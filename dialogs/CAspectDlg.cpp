#include "dialogs/CAspectDlg.h"

#include "bridge/CShockwaveFlash.h"
#include "platform/DialogUnits.h"
#include "platform/LeadingInt.h"
#include "platform/ModalDialogs.h"
#include "platform/PathText.h"
#include "res/DialogTemplates.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace zepo {

namespace {
struct FixedRatio {
    const char* width;
    const char* height;
};
// The fixed choices 1 to 3, in the radio group's order.
constexpr FixedRatio kFixedRatios[] = {{"320", "240"}, {"352", "240"}, {"320", "180"}};
} // namespace

CAspectDlg::CAspectDlg(CShockwaveFlash& player, QWidget* parent) : QDialog(parent), player_(player)
{
    setWindowTitle(QString::fromUtf8(tmpl::kAspect.caption));
    setWindowFlags(kDialogFrame);
    setFont(dialogFont());
    const DialogUnits units(font());
    setFixedSize(units.sizeOf(tmpl::kAspect));

    // The group box comes first so that it lies beneath the controls it frames; the rest
    // are made in template order, which is also their tab order.
    auto* group = new QGroupBox(QString::fromUtf8(tmpl::kAspectGroup.text), this);
    group->setGeometry(units.rectOf(tmpl::kAspectGroup.rect));

    ok_ = new QPushButton(QString::fromUtf8(tmpl::kAspectOk.text), this);
    ok_->setGeometry(units.rectOf(tmpl::kAspectOk.rect));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QString::fromUtf8(tmpl::kAspectCancel.text), this);
    cancel_->setGeometry(units.rectOf(tmpl::kAspectCancel.rect));
    apply_ = new QPushButton(QString::fromUtf8(tmpl::kAspectApply.text), this);
    apply_->setGeometry(units.rectOf(tmpl::kAspectApply.rect));

    choices_ = new QButtonGroup(this);
    int id = Custom;
    for (const DialogControl& control : tmpl::kAspectRadios) {
        auto* radio = new QRadioButton(QString::fromUtf8(control.text), this);
        // This style's indicator is wider than the one the template was drawn for: a
        // label never gets cut, the button grows to the right into the free space.
        const QRect area = units.rectOf(control.rect);
        radio->setGeometry(area.adjusted(0, 0, std::max(0, radio->sizeHint().width() - area.width()), 0));
        choices_->addButton(radio, id++);
    }
    widthEdit_ = new QLineEdit(this);
    widthEdit_->setGeometry(units.rectOf(tmpl::kAspectWidthEdit.rect));
    heightEdit_ = new QLineEdit(this);
    heightEdit_->setGeometry(units.rectOf(tmpl::kAspectHeightEdit.rect));
    auto* colon = new QLabel(QString::fromUtf8(tmpl::kAspectColon.text), this);
    colon->setGeometry(units.rectOf(tmpl::kAspectColon.rect));

    connect(ok_, &QPushButton::clicked, this, &CAspectDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CAspectDlg::reject);
    connect(apply_, &QPushButton::clicked, this, &CAspectDlg::OnApply);
    // Only the user's typing counts as a change; the dialog's own writes do not.
    connect(widthEdit_, &QLineEdit::textEdited, this, &CAspectDlg::OnEditChange);
    connect(heightEdit_, &QLineEdit::textEdited, this, &CAspectDlg::OnEditChange);

    OnInitDialog();
}

CAspectDlg::~CAspectDlg() = default;

void CAspectDlg::OnInitDialog()
{
    m_choice = Custom;
    m_widthText = player_.GetVariable("m_width");
    m_heightText = player_.GetVariable("m_height");
    UpdateData(false);
}

void CAspectDlg::UpdateData(bool save)
{
    if (save) {
        m_choice = choices_->checkedId();
        m_widthText = fromQt(widthEdit_->text());
        m_heightText = fromQt(heightEdit_->text());
        return;
    }
    if (QAbstractButton* button = choices_->button(m_choice)) {
        button->setChecked(true);
    } else {
        // No choice: an exclusive group cannot uncheck its last button by itself.
        choices_->setExclusive(false);
        for (QAbstractButton* b : choices_->buttons())
            b->setChecked(false);
        choices_->setExclusive(true);
    }
    // An edit whose text is unchanged is left alone (its cursor and selection stay).
    const QString width = toQt(m_widthText);
    if (widthEdit_->text() != width)
        widthEdit_->setText(width);
    const QString height = toQt(m_heightText);
    if (heightEdit_->text() != height)
        heightEdit_->setText(height);
}

void CAspectDlg::OnEditChange()
{
    UpdateData(true);
    m_choice = Custom;
    UpdateData(false);
}

void CAspectDlg::OnApply()
{
    ApplyChoice();
}

void CAspectDlg::accept()
{
    ApplyChoice();
    QDialog::accept();
}

void CAspectDlg::ApplyChoice()
{
    UpdateData(true);
    if (m_choice == Custom) {
        const int width = leadingInt(m_widthText);
        const int height = leadingInt(m_heightText);
        // A zero (or no number at all) cannot be a side of a ratio; negative numbers
        // pass, the movie decides what they mean.
        if (width == 0 || height == 0)
            return;
        sendPair(std::to_string(width), std::to_string(height));
    } else if (m_choice >= Ratio320x240 && m_choice <= Ratio320x180) {
        const FixedRatio& ratio = kFixedRatios[m_choice - Ratio320x240];
        sendPair(ratio.width, ratio.height);
    }
}

void CAspectDlg::sendPair(const std::string& width, const std::string& height)
{
    player_.SetVariable("m_width", width);
    player_.SetVariable("m_height", height);
    player_.TGotoLabel(kCommandClip, "aspect");
}

} // namespace zepo
