#include "app/run_end.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "app/main_window.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/tick_timer.h"
#include "app/window_services.h"
#include "engine/engine.h"

namespace {

bool Finished;
int SignalPipe[2] = {-1, -1}; // written by the handler, read on the main thread

// Only what is safe in a handler: one byte down the pipe, errno left as it was.
extern "C" void OnEndSignal(int signal) {
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
    errno = saved;
}

void InstallSignalHandlers() {
    if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return; // the signals keep their defaults
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char bytes[16];
        while (read(SignalPipe[0], bytes, sizeof bytes) > 0) {}
        EndAsExit();
    });
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    // A second signal of a kind ends the program at once, should the first not get through.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

// DestroyNotify for the main window's own X window. Qt destroys and recreates that window
// itself when the frame is switched on or off; by then the window has another id, so only a
// destruction from outside matches.
class DestroyWatch : public QAbstractNativeEventFilter {
  public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        MainWindow* window = TheMainWindow();
        if (window && window->internalWinId() == destroyed->window) EndForDestroyedWindow();
        return false;
    }
};

// Exit handlers run before the static objects are destroyed: the tick thread is stopped
// first (a thread still running there aborts the process) and the settings are kept. Nothing
// here talks to the display, whose connection may be what was lost.
void AtProcessExit() {
    if (Finished) return;
    Finished = true;
    StopTickTimer();
    CloseSound();
    SaveSettings();
}

void CloseDialogsAndMenus() {
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* open = QApplication::activePopupWidget();
        if (!open) open = QApplication::activeModalWidget();
        if (!open) break;
        open->close();
    }
}

} // namespace

void WatchForExternalEnds() {
    InstallSignalHandlers();
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        qApp->installNativeEventFilter(new DestroyWatch);
    std::atexit(AtProcessExit);
}

void FinishRun() {
    if (Finished) return;
    Finished = true;
    ShutdownEmulator();
    SaveSettings(); // a store that cannot be written loses this run's changes, nothing more
}

void EndAsExit() {
    CloseDialogsAndMenus();
    CloseMainWindow();
}

void EndForDestroyedWindow() {
    CloseDialogsAndMenus();
    RequestQuit(0);
}
