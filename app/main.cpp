// wendal: the desktop program. Start-up in its order, the main loop, shutdown.
#include <QApplication>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/run_end.h"
#include "app/run_state.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/title.h"
#include "app/window_events.h"
#include "app/window_services.h"
#include "platform/desktop/desktop_surface.h"

int main(int argc, char** argv) {
    if (const std::optional<int> status = AnswerInformationOptions(argc, argv)) return *status;
    QApplication application(argc, argv); // takes Qt's own options out of argv
    SetProgramIdentity();
    ResetRunState();
    MainWindow window;
    SetSurfaceRepaintHandler(OnRepaintRequest);
    LoadSettings(); // before anything is built on them
    if (!InitEmulator()) {
        ShutdownEmulator();
        return 0;
    }
    WatchForExternalEnds(); // from here the tick thread runs: every end must stop it
    ResetSpectrum();
    LoadCommandLineFile(CommandLineFile(argc, argv));
    UpdateTitle();
    RefreshMenu();
    window.show();
    window.activateWindow();
    window.setFocus();
    const int code = MainLoop();
    FinishRun();
    return code;
}
