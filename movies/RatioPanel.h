#pragma once

#include <QPointer>
#include <QRectF>
#include <string>

class QLineEdit;
class QPainter;

namespace zepo {

class MovieHost;

// The pop-up ratio panel of the control panel: four options stacked upward ("320:240",
// "352:240", "320:180" and the custom pair with its two input fields x and y), a close
// button, and which option is highlighted. With a host the custom fields are native
// line edits on the control; without one (tests) they are plain texts. UI thread only.
class RatioPanel {
public:
    // The option numbers, as ratio_num counts them.
    static constexpr int kCustom = 0;
    static constexpr int kOptionCount = 4;
    // The width and height a fixed option stands for; false for the custom option.
    static bool fixedPair(int option, int& width, int& height);

    enum class Part { Outside, Background, Option, Close, Field };
    struct Hit {
        Part part = Part::Outside;
        int option = -1;  // for Part::Option
    };

    static constexpr double kWidth = 100;
    static constexpr double kHeight = 96;

    RatioPanel();
    ~RatioPanel();
    RatioPanel(const RatioPanel&) = delete;
    RatioPanel& operator=(const RatioPanel&) = delete;

    // Where native fields go; null keeps the fields as plain texts.
    void setHost(MovieHost* host);

    bool isOpen() const { return open_; }
    // Attaches the panel with the fields holding x and y.
    void open(const std::string& x, const std::string& y);
    void close();

    // Puts the panel's bottom-right corner on a stage point.
    void place(const QPointF& bottomRight);
    // Where the panel is (or would be) on the stage.
    const QRectF& area() const { return area_; }
    bool contains(const QPointF& point) const { return open_ && area_.contains(point); }
    Hit hitTest(const QPointF& point) const;

    // All options off, then this one on (none for a number without an option).
    void highlight(int option);
    int highlighted() const { return highlighted_; }

    std::string fieldX() const;
    std::string fieldY() const;
    void setFields(const std::string& x, const std::string& y);

    // The panel shows only while the control panel does.
    void setShown(bool shown);

    bool takeChanged();
    void paint(QPainter& painter) const;

private:
    QRectF optionRect(int option) const;
    QRectF fieldRect(bool second) const;
    QRectF closeRect() const;
    void createFields();
    void destroyFields();
    void placeFields();
    void paintField(QPainter& painter, const QRectF& rect, const std::string& text) const;

    MovieHost* host_ = nullptr;
    bool open_ = false;
    bool shown_ = true;
    QRectF area_;
    int highlighted_ = -1;
    std::string x_;
    std::string y_;
    // The native fields while open with a host; owned here, parented to the control.
    QPointer<QLineEdit> fieldX_;
    QPointer<QLineEdit> fieldY_;
    bool changed_ = false;
};

} // namespace zepo
