// The desktop side of the frame surface: the picture widget inside the main window.
#pragma once
#include <cstdint>

class QMainWindow;
class QWidget;

// Makes the picture widget the window's central widget; SurfaceSetUp then sizes and styles
// the window for each screen mode.
void AttachDesktopSurface(QMainWindow* window);
// The picture widget (null before AttachDesktopSurface).
QWidget* DesktopScreenWidget();
// Called when the window system asks for the picture again (exposed, restored): the handler
// draws the whole frame into the surface, which is shown right after.
void SetSurfaceRepaintHandler(void (*handler)());

// The window's picture in its area, in device pixels: the top left corner (negative when the
// area is smaller than the picture) and the whole-number scale.
struct SurfacePlacement {
    int x, y, scale;
};
// The rule that places the window's picture in an area of the given size; until one is set the
// picture sits at the top left at scale 1.
void SetSurfacePlacementRule(SurfacePlacement (*rule)(int areaWidth, int areaHeight,
                                                      int pictureWidth, int pictureHeight));
// Paints of the picture so far, for the benchmark: at most one per display refresh.
uint64_t SurfacePaints();
