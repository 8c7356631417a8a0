#include "dialogs/CSpareSettingPage.h"

#include "platform/DialogUnits.h"
#include "res/DialogTemplates.h"

namespace zepo {

CSpareSettingPage::CSpareSettingPage(QWidget* parent)
    : QWidget(parent), text_(QString::fromUtf8(tmpl::kSpareText.text), this)
{
    setObjectName(QString::number(tmpl::kSparePage.id));
    setFont(dialogFont());
    const DialogUnits units;
    resize(units.sizeOf(tmpl::kSparePage));
    text_.setGeometry(units.rectOf(tmpl::kSpareText.rect));
}

} // namespace zepo
