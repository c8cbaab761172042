// One QApplication and one main window for every test, as the program has.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/run_state.h"
#include "app/startup.h"
#include "app/title.h"
#include "app/window_events.h"
#include "platform/desktop/desktop_surface.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("SDL_AUDIODRIVER").isEmpty()) qputenv("SDL_AUDIODRIVER", "dummy");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    ResetRunState();
    MainWindow window;
    SetSurfaceRepaintHandler(OnRepaintRequest);
    if (!InitEmulator()) return 1;
    ResetSpectrum();
    window.show();
    const int result = RUN_ALL_TESTS();
    ShutdownEmulator();
    return result;
}
