#pragma once

#include "bridge/Movie.h"
#include "movies/UrlOpener.h"

#include <QRectF>
#include <optional>
#include <string>
#include <vector>

namespace zepo {

// Where the about movie's two links lead: the documents installed with the program, as
// file URLs. The one place that names them.
struct AboutLinkTargets {
    std::string readme;
    std::string licence;
};
// The installed README and licence text, found from the installed executable
// (<prefix>/lib/zepo/zepo -> <prefix>/share/doc/zepo/); under /usr when the executable's
// path is unknown.
AboutLinkTargets installedDocuments(const std::optional<std::string>& executablePath);

// The about movie (control 1012): on a black 330 x 80 stage the "ZEPO" logo, the product
// name with its version, a line saying what the program is, and two links that open in
// the desktop's browser. It takes no host commands and sends no movie commands.
class AboutMovie : public Movie {
public:
    struct Link {
        std::string label;  // UTF-8
        std::string url;
        QRectF area;        // stage pixels; a press and release inside it opens the url
    };

    AboutMovie(TimerService& timers, const MovieSlot& slot, UrlOpener& urls, AboutLinkTargets targets);

    const std::vector<Link>& links() const { return links_; }

    void paint(QPainter& painter) override;
    void mouseMove(const QPointF& stagePoint) override;
    void mousePress(const QPointF& stagePoint) override;
    void mouseRelease(const QPointF& stagePoint) override;
    void mouseLeave() override;

protected:
    void onLoad() override;

private:
    // The link under a stage point, or -1.
    int linkAt(const QPointF& stagePoint) const;
    void setHover(int link);

    UrlOpener& urls_;
    std::vector<Link> links_;
    int pressed_ = -1;  // the link the button went down on
    int hover_ = -1;    // the link under the pointer
};

} // namespace zepo
