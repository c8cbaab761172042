// The desktop side of the frame surface: the picture widget inside the main window.
#pragma once

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
