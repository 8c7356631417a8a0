#pragma once

#include <QFont>
#include <QRect>

namespace zepo {

// The dialog font of every window: "ＭＳ Ｐゴシック" 9 pt (12 px at 96 dpi). Where
// fontconfig lacks that family, the installed families that cover Japanese stand in, the
// metric-compatible IPAPGothic first (see JapaneseFonts.h).
QFont dialogFont();

// Converts dialog units to pixels from the base units of a font, as dialog templates
// are laid out: x px = dlu * baseX / 4, y px = dlu * baseY / 8, where baseX is the
// average width of A-Z a-z and baseY the font's height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font = dialogFont());
    int toPixelsX(int dlu) const;
    int toPixelsY(int dlu) const;
    QRect toPixels(const QRect& dluRect) const;
    QSize toPixels(const QSize& dluSize) const;
    // The pixels of a dialog template's rectangle (anything with x, y, width and height)
    // and of a template's size (anything with width and height).
    template <class TemplateRect> QRect rectOf(const TemplateRect& r) const
    {
        return toPixels(QRect(r.x, r.y, r.width, r.height));
    }
    template <class TemplateFrame> QSize sizeOf(const TemplateFrame& f) const
    {
        return toPixels(QSize(f.width, f.height));
    }

private:
    int baseX_;
    int baseY_;
};

} // namespace zepo
