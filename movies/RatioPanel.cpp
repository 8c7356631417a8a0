#include "movies/RatioPanel.h"

#include "bridge/Movie.h"
#include "movies/PanelArt.h"
#include "platform/PathText.h"

#include <QLineEdit>
#include <QPainter>
#include <utility>

namespace zepo {

namespace {
struct Choice {
    const char* label;
    int width;
    int height;
};
// Options 1 to 3; option 0 is the custom pair.
constexpr Choice kChoices[RatioPanel::kOptionCount] = {
    {"", 0, 0}, {"320:240", 320, 240}, {"352:240", 352, 240}, {"320:180", 320, 180}};

// Rows from the top: a header with the close button, the custom row, then options 3, 2
// and 1 down to the bottom (the options stack upward from option 1).
constexpr double kPad = 3;
constexpr double kHeaderHeight = 14;
constexpr double kCustomHeight = 22;
constexpr double kOptionHeight = 18;
constexpr double kFieldWidth = 30;
constexpr double kFieldHeight = 16;
constexpr double kFieldLeft = 22;        // first field from the panel's left edge
constexpr double kFieldGap = 10;         // room for the ":" between the fields
constexpr double kCloseSize = 12;
constexpr double kTextPixels = 11;
} // namespace

bool RatioPanel::fixedPair(int option, int& width, int& height)
{
    if (option <= kCustom || option >= kOptionCount)
        return false;
    width = kChoices[option].width;
    height = kChoices[option].height;
    return true;
}

RatioPanel::RatioPanel() = default;

RatioPanel::~RatioPanel()
{
    destroyFields();
}

void RatioPanel::setHost(MovieHost* host)
{
    host_ = host;
    if (open_) {
        destroyFields();
        createFields();
    }
}

void RatioPanel::open(const std::string& x, const std::string& y)
{
    open_ = true;
    x_ = x;
    y_ = y;
    createFields();
    changed_ = true;
}

void RatioPanel::close()
{
    if (!open_)
        return;
    destroyFields();
    open_ = false;
    changed_ = true;
}

void RatioPanel::place(const QPointF& bottomRight)
{
    const QRectF area(bottomRight.x() - kWidth, bottomRight.y() - kHeight, kWidth, kHeight);
    if (area == area_)
        return;
    area_ = area;
    placeFields();
    changed_ = true;
}

QRectF RatioPanel::optionRect(int option) const
{
    const double left = area_.left() + kPad;
    const double width = kWidth - 2 * kPad;
    if (option == kCustom)
        return QRectF(left, area_.top() + kPad + kHeaderHeight, width, kCustomHeight);
    // Option 1 sits at the bottom, 3 right under the custom row.
    const double bottom = area_.bottom() - kPad - (option - 1) * kOptionHeight;
    return QRectF(left, bottom - kOptionHeight, width, kOptionHeight);
}

QRectF RatioPanel::fieldRect(bool second) const
{
    const QRectF row = optionRect(kCustom);
    const double left = area_.left() + kFieldLeft + (second ? kFieldWidth + kFieldGap : 0);
    return QRectF(left, row.center().y() - kFieldHeight / 2, kFieldWidth, kFieldHeight);
}

QRectF RatioPanel::closeRect() const
{
    return QRectF(area_.right() - kPad - kCloseSize - 1, area_.top() + kPad + 1, kCloseSize, kCloseSize);
}

RatioPanel::Hit RatioPanel::hitTest(const QPointF& point) const
{
    if (!contains(point))
        return {};
    if (closeRect().adjusted(-1, -1, 1, 1).contains(point))
        return {Part::Close};
    if (fieldRect(false).contains(point) || fieldRect(true).contains(point))
        return {Part::Field};
    for (int option = 0; option < kOptionCount; ++option)
        if (optionRect(option).contains(point))
            return {Part::Option, option};
    return {Part::Background};
}

void RatioPanel::highlight(int option)
{
    const int lit = option >= 0 && option < kOptionCount ? option : -1;
    if (lit == highlighted_)
        return;
    highlighted_ = lit;
    changed_ = true;
}

std::string RatioPanel::fieldX() const
{
    return fieldX_ ? fromQt(fieldX_->text()) : x_;
}

std::string RatioPanel::fieldY() const
{
    return fieldY_ ? fromQt(fieldY_->text()) : y_;
}

void RatioPanel::setFields(const std::string& x, const std::string& y)
{
    x_ = x;
    y_ = y;
    if (fieldX_)
        fieldX_->setText(toQt(x));
    if (fieldY_)
        fieldY_->setText(toQt(y));
    changed_ = true;
}

void RatioPanel::setShown(bool shown)
{
    if (shown_ == shown)
        return;
    shown_ = shown;
    for (QLineEdit* field : {fieldX_.data(), fieldY_.data()})
        if (field)
            field->setVisible(shown_);
}

bool RatioPanel::takeChanged()
{
    return std::exchange(changed_, false);
}

void RatioPanel::createFields()
{
    if (!host_ || !host_->widget() || fieldX_)
        return;
    const QString style = QStringLiteral(
        "QLineEdit { background: #0e1116; color: #e6edf3; border: 1px solid #45505e; border-radius: 2px;"
        " padding: 0px 1px; selection-background-color: #1f6f99; }"
        "QLineEdit:focus { border-color: #4fc3f7; }");
    for (auto* slot : {&fieldX_, &fieldY_}) {
        auto* field = new QLineEdit(host_->widget());
        field->setFont(art::panelFont(kTextPixels));
        field->setStyleSheet(style);
        field->setAlignment(Qt::AlignCenter);
        field->setFrame(false);
        *slot = field;
    }
    fieldX_->setText(toQt(x_));
    fieldY_->setText(toQt(y_));
    placeFields();
    fieldX_->setVisible(shown_);
    fieldY_->setVisible(shown_);
}

void RatioPanel::destroyFields()
{
    if (fieldX_)
        x_ = fromQt(fieldX_->text());
    if (fieldY_)
        y_ = fromQt(fieldY_->text());
    delete fieldX_.data();
    delete fieldY_.data();
}

void RatioPanel::placeFields()
{
    if (!host_ || !fieldX_ || !fieldY_)
        return;
    const auto toWidget = [this](const QRectF& rect) {
        return QRectF(host_->stageToWidget(rect.topLeft()), host_->stageToWidget(rect.bottomRight())).toAlignedRect();
    };
    fieldX_->setGeometry(toWidget(fieldRect(false)));
    fieldY_->setGeometry(toWidget(fieldRect(true)));
}

void RatioPanel::paintField(QPainter& painter, const QRectF& rect, const std::string& text) const
{
    painter.setPen(QPen(art::kEdge, 1));
    painter.setBrush(QColor(0x0e, 0x11, 0x16));
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    // Native fields draw their own text over this.
    if (fieldX_)
        return;
    painter.setPen(art::kText);
    painter.drawText(rect, Qt::AlignCenter, toQt(text));
}

void RatioPanel::paint(QPainter& painter) const
{
    if (!open_ || !shown_ || area_.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QPen(art::kEdge, 1));
    painter.setBrush(QColor(0x1b, 0x20, 0x27, 245));
    painter.drawRoundedRect(area_.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    painter.setFont(art::panelFont(10));
    painter.setPen(art::kDimText);
    painter.drawText(QRectF(area_.left() + 6, area_.top() + kPad, 60, kHeaderHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("比率"));
    const QRectF close = closeRect();
    painter.setPen(QPen(art::kText, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(close.topLeft() + QPointF(3, 3), close.bottomRight() - QPointF(3, 3));
    painter.drawLine(close.topRight() + QPointF(-3, 3), close.bottomLeft() + QPointF(3, -3));

    painter.setFont(art::panelFont(kTextPixels));
    for (int option = 0; option < kOptionCount; ++option) {
        const QRectF row = optionRect(option);
        const bool on = option == highlighted_;
        if (on) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(art::kAccentFace);
            painter.drawRoundedRect(row, 3, 3);
        }
        // A radio mark: a ring, filled when on.
        const QPointF mark(row.left() + 8, row.center().y());
        painter.setPen(QPen(on ? Qt::white : art::kDimText, 1.2));
        painter.setBrush(on ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        painter.drawEllipse(mark, 3, 3);
        if (option == kCustom) {
            paintField(painter, fieldRect(false), x_);
            paintField(painter, fieldRect(true), y_);
            painter.setPen(art::kText);
            const QRectF first = fieldRect(false);
            painter.drawText(QRectF(first.right(), first.top(), kFieldGap, first.height()), Qt::AlignCenter,
                             QStringLiteral(":"));
        } else {
            painter.setPen(on ? QColor(Qt::white) : art::kText);
            painter.drawText(QRectF(row.left() + 18, row.top(), row.width() - 18, row.height()),
                             Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(kChoices[option].label));
        }
    }
    painter.restore();
}

} // namespace zepo
