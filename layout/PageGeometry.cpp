#include "layout/PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zelvorin {

namespace {
constexpr double kA4Width = 595.28;
constexpr double kA4Height = 841.89;

double finiteOr(std::optional<double> value, double fallback) {
    return value && std::isfinite(*value) && *value > 0 ? *value : fallback;
}
}  // namespace

PageGeometry PageGeometry::of(const PageConfig& page) {
    PageGeometry g;
    if (page.pageSize == "Letter") {
        g.pageWidth = 612;
        g.pageHeight = 792;
    } else if (page.pageSize == "Custom") {
        g.pageWidth = finiteOr(page.width, kA4Width);
        g.pageHeight = finiteOr(page.height, kA4Height);
    } else {
        g.pageWidth = kA4Width;
        g.pageHeight = kA4Height;
    }
    if (page.orientation == "landscape") std::swap(g.pageWidth, g.pageHeight);

    // A fixed content width is the template's own width, as given: orientation does not turn it.
    double baseWidth = g.pageWidth;
    if (page.contentWidthMode == "fixed" && page.width && std::isfinite(*page.width)) baseWidth = *page.width;
    g.contentLeft = page.marginLeft;
    g.contentWidth = std::max(1.0, baseWidth - page.marginLeft - page.marginRight);
    g.bodyTop = page.marginTop;
    g.bodyBottom = g.pageHeight - page.marginBottom;
    return g;
}

}  // namespace zelvorin
