#pragma once

#include <QLabel>
#include <QWidget>

namespace zepo {

// The second page of the settings dialog (template 138): a placeholder text only.
class CSpareSettingPage : public QWidget {
public:
    explicit CSpareSettingPage(QWidget* parent);

private:
    QLabel text_;
};

} // namespace zepo
