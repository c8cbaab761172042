// Whether the frame reaches the screen through the graphics card.
//
// Qt paints the window into a backing store in system memory and the window system puts it on
// the screen; there is no surface that could sit in video memory. What decides whether the
// graphics card does the work is whether the window system offers hardware rendering at all:
// an OpenGL context that can be made and made current, whose renderer is not one of Mesa's
// processor rasterisers (llvmpipe, softpipe, swrast) or another software renderer. Without one
// (a virtual display, a remote session, a missing driver) every frame is composed by the
// processor, which is the slow case the performance warning is about.
#include <QByteArray>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "platform/display_surface.h"

static bool ProbeHardwareRenderer() {
    QOpenGLContext context;
    if (!context.create()) return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray renderer = QByteArray(name ? name : "").toLower();
    context.doneCurrent();
    if (renderer.isEmpty()) return false;
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software", "swiftshader"})
        if (renderer.contains(software)) return false;
    return true;
}

bool SurfaceInVideoMemory() {
    static const bool hardware = ProbeHardwareRenderer(); // the answer does not change in a run
    return hardware;
}
