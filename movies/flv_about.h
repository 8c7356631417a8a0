#pragma once

#include "bridge/Movie.h"
#include "movies/UrlOpener.h"

#include <QRectF>
#include <optional>
#include <string>
#include <vector>

namespace zepo {

// Where the about movie's two links lead: the program's documents, as file URLs; an
// empty one has no link. The one place that names them.
struct AboutLinkTargets {
    std::string readme;
    std::string licence;
};
// The folder of the source tree the program was built from (with its trailing "/").
extern const char* const kSourceFolder;
// The README and licence text: installed beside the executable (<prefix>/lib/zepo/zepo ->
// <prefix>/share/doc/zepo/; under /usr when the executable's path is unknown); else, for a
// program run from its build tree, which has none, the source tree's (README.md and
// desktop/copyright in sourceFolder); else none, and the link is not shown.
AboutLinkTargets aboutDocuments(const std::optional<std::string>& executablePath,
                                const std::string& sourceFolder = kSourceFolder);

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

    // The links shown: those with a target.
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
