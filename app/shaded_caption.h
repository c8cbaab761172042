// The program's own caption bar: an active caption shades from black at the left to the
// caption colour, which fills the right sixth; the icon, the three buttons and the title sit
// at fixed places in it.
#pragma once
#include <cstdint>

struct CaptionColour {
    int r, g, b;
};

// The width of the shading's bands: a sixty-fourth of the shaded span, at least one pixel.
// `left` and `right` are the caption's edges in window coordinates (left = the frame's width).
int CaptionBandStep(int left, int right);

// Fills `row`, the `width` pixel columns of the caption (x = 0 at its left edge), with the
// active caption's shading of `colour`: the colour from x0 = 5 x right / 6 on, then bands of
// CaptionBandStep pixels falling off toward the left with the square of their distance from
// x0, then black.
void ShadeCaptionRow(int left, int right, CaptionColour colour, CaptionColour* row, int width);

struct CaptionBox {
    int left, top, right, bottom; // right and bottom exclusive
};

struct CaptionLayoutRecord {
    CaptionBox icon, minimise, maximise, close, title;
};

// Where the parts go in a caption `width` x `height` with caption buttons `cx` x `cy`.
CaptionLayoutRecord CaptionLayout(int width, int height, int cx, int cy);
