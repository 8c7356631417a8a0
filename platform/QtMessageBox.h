#pragma once

#include "platform/MessageBoxService.h"

#include <QString>

class QWidget;

namespace zepo {

class QtMessageBox : public MessageBoxService {
public:
    // parent: the window that owns the boxes (may be null).
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;

    // The executable's file name without its extension ("zepo").
    static QString caption();

private:
    QWidget* parent_;
};

} // namespace zepo
