#include "dialogs/CSpareSettingPage.h"

#include "platform/DialogUnits.h"
#include "res/DialogTemplates.h"

namespace zepo {

CSpareSettingPage::CSpareSettingPage(QWidget* parent)
    : QWidget(parent), text_(QString::fromUtf8(tmpl::kSpareText.text), this)
{
    setObjectName(QString::number(tmpl::kSparePageId));
    setFont(dialogFont());
    const DialogUnits units;
    const auto size = tmpl::kSparePageSize, text = tmpl::kSpareText.rect;
    resize(units.toPixels(QSize(size.width, size.height)));
    text_.setGeometry(units.toPixels(QRect(text.x, text.y, text.width, text.height)));
}

} // namespace zepo
