#include "app/shaded_caption.h"

namespace {

void FillBand(CaptionColour* row, int width, int x, int w, CaptionColour colour) {
    const int from = x < 0 ? 0 : x, to = x + w > width ? width : x + w; // clipped to the caption
    for (int i = from; i < to; ++i) row[i] = colour;
}

// ch - (d x d x ch) / D, truncated toward zero. Computed in 64 bits: the product outgrows 32
// bits on captions wider than about 3000 pixels, where it would wrap into nonsense colours.
int Faded(int ch, int64_t d, int64_t squaredSpan) { return ch - int(d * d * ch / squaredSpan); }

} // namespace

int CaptionBandStep(int left, int right) {
    const int step = (5 * right / 6 - left) / 64;
    return step < 1 ? 1 : step;
}

void ShadeCaptionRow(int left, int right, CaptionColour colour, CaptionColour* row, int width) {
    const int x0 = 5 * right / 6;
    const int span = x0 - left;
    const int step = CaptionBandStep(left, right);
    FillBand(row, width, x0, right - x0, colour);
    int x = x0;
    // A caption no wider than its frames has no span to shade (and nothing to divide by).
    if (x0 > step && span > 0) {
        const int64_t squaredSpan = int64_t(span) * span;
        int64_t d = -left;
        do {
            d += step;
            x -= step;
            const CaptionColour band = {Faded(colour.r, d, squaredSpan),
                                        Faded(colour.g, d, squaredSpan),
                                        Faded(colour.b, d, squaredSpan)};
            FillBand(row, width, x, step, band);
        } while (x > step);
    }
    FillBand(row, width, 0, x, CaptionColour{0, 0, 0});
}

CaptionLayoutRecord CaptionLayout(int width, int height, int cx, int cy) {
    const int w = width;
    CaptionLayoutRecord r;
    r.icon = {2, 1, cx, cy - 1};
    r.close = {w - cx, 2, w - 2, cy - 2};
    r.maximise = {w - 2 * cx, 2, w - cx - 2, cy - 2};
    r.minimise = {w - 3 * cx + 2, 2, w - 2 * cx, cy - 2};
    r.title = {cx + 2, 0, w - 3 * cx, height};
    return r;
}
