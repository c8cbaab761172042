// Drops files on an X window as a file manager does: the drag source's side of the XDND
// protocol, version 5. It owns XdndSelection, sends XdndEnter and one XdndPosition at the
// window's centre, drops once the window accepts, hands over the files as text/uri-list when
// asked, and waits for XdndFinished.
// Usage: xdnd_drop [--timeout SECONDS] WINDOW FILE...
// WINDOW is an X window id as xdotool prints it (decimal, or hex with 0x). Exit status: 0 the
// window took the drop and finished it, 1 bad arguments or no display, 2 the window refused or
// took no drops, 3 no answer before the timeout (5 seconds unless given).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long XdndVersion = 5;

enum Outcome { Dropped = 0, BadUsage = 1, Refused = 2, TimedOut = 3 };

struct Atoms {
    Atom aware, selection, enter, position, status, drop, finished, leave, actionCopy, uriList,
        targets;
};

Atoms InternAtoms(Display* display) {
    auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    return {atom("XdndAware"),     atom("XdndSelection"), atom("XdndEnter"),
            atom("XdndPosition"),  atom("XdndStatus"),    atom("XdndDrop"),
            atom("XdndFinished"),  atom("XdndLeave"),     atom("XdndActionCopy"),
            atom("text/uri-list"), atom("TARGETS")};
}

int LastXError = 0; // the error code of the last failed request, 0 for none
int NoteXError(Display*, XErrorEvent* e) {
    LastXError = e->error_code;
    return 0;
}

// A local file as a file: URI: the absolute path with every byte outside the unreserved
// characters and '/' written as %XX, as file managers send them.
bool FileUri(const char* name, std::string& uri) {
    char* path = realpath(name, nullptr);
    if (!path) return false;
    uri = "file://";
    for (const char* p = path; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            std::strchr("/-._~", c)) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    std::free(path);
    return true;
}

struct Drag {
    Display* display;
    Atoms atoms;
    Window target, source;
    std::vector<std::string> uris; // the files dropped
    Time time = CurrentTime;       // the server time the selection was taken at
    bool dropSent = false;
};

void SendToTarget(Drag& d, Atom type, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = d.target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(d.source);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d.display, d.target, False, NoEventMask, &e);
    XFlush(d.display);
}

// A server timestamp: the time of a property change on our own window.
Time ServerTime(Display* display, Window window) {
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent e;
    XWindowEvent(display, window, PropertyChangeMask, &e);
    return e.xproperty.time;
}

// The XDND version the window speaks, 0 when it takes no drops.
long TargetVersion(Drag& d) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    LastXError = 0;
    const int result = XGetWindowProperty(d.display, d.target, d.atoms.aware, 0, 1, False,
                                          AnyPropertyType, &type, &format, &count, &after, &data);
    long version = 0;
    if (result == Success && !LastXError && data && format == 32 && count == 1)
        version = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return version;
}

// Answers a request for the dragged data: the URI list, or the list of what we offer.
void AnswerSelectionRequest(Drag& d, const XSelectionRequestEvent& r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    const Atom property = r.property != None ? r.property : r.target; // an obsolete client
    reply.xselection.property = None;
    if (r.selection == d.atoms.selection && r.target == d.atoms.uriList) {
        std::string uriList; // a line each, ended by CR LF
        for (const std::string& uri : d.uris) uriList += uri + "\r\n";
        XChangeProperty(d.display, r.requestor, property, d.atoms.uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uriList.data()),
                        static_cast<int>(uriList.size()));
        reply.xselection.property = property;
    } else if (r.selection == d.atoms.selection && r.target == d.atoms.targets) {
        const Atom offered[] = {d.atoms.targets, d.atoms.uriList};
        XChangeProperty(d.display, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 2);
        reply.xselection.property = property;
    }
    XSendEvent(d.display, r.requestor, False, NoEventMask, &reply);
    XFlush(d.display);
}

// Waits for the next event until the deadline; false when it passed first.
bool NextEvent(Display* display, std::chrono::steady_clock::time_point deadline, XEvent& e) {
    while (!XPending(display)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    }
    XNextEvent(display, &e);
    return true;
}

// The protocol from XdndEnter to XdndFinished.
Outcome RunDrag(Drag& d, int seconds) {
    XWindowAttributes attributes;
    int x = 0, y = 0;
    Window child;
    XGetWindowAttributes(d.display, d.target, &attributes);
    XTranslateCoordinates(d.display, d.target, DefaultRootWindow(d.display), attributes.width / 2,
                          attributes.height / 2, &x, &y, &child);

    XSetSelectionOwner(d.display, d.atoms.selection, d.source, d.time);
    if (XGetSelectionOwner(d.display, d.atoms.selection) != d.source) {
        std::fprintf(stderr, "xdnd_drop: could not take XdndSelection\n");
        return BadUsage;
    }
    // One type fits in the message itself: no XdndTypeList needed.
    SendToTarget(d, d.atoms.enter, XdndVersion << 24, static_cast<long>(d.atoms.uriList), None,
                 None);
    SendToTarget(d, d.atoms.position, 0, (long(x) << 16) | long(y), static_cast<long>(d.time),
                 static_cast<long>(d.atoms.actionCopy));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    XEvent e;
    while (NextEvent(d.display, deadline, e)) {
        if (e.type == SelectionRequest) {
            AnswerSelectionRequest(d, e.xselectionrequest);
            continue;
        }
        if (e.type != ClientMessage || static_cast<Window>(e.xclient.data.l[0]) != d.target)
            continue;
        const Atom type = e.xclient.message_type;
        if (type == d.atoms.status && !d.dropSent) {
            if (!(e.xclient.data.l[1] & 1)) {
                SendToTarget(d, d.atoms.leave, 0, 0, 0, 0);
                std::fprintf(stderr, "xdnd_drop: window 0x%lx refused the drop\n", d.target);
                return Refused;
            }
            SendToTarget(d, d.atoms.drop, 0, static_cast<long>(d.time), 0, 0);
            d.dropSent = true;
        } else if (type == d.atoms.finished && d.dropSent) {
            if (!(e.xclient.data.l[1] & 1)) {
                std::fprintf(stderr, "xdnd_drop: window 0x%lx finished without taking the drop\n",
                             d.target);
                return Refused;
            }
            std::printf("dropped on window 0x%lx:", d.target);
            for (const std::string& uri : d.uris) std::printf(" %s", uri.c_str());
            std::printf("\n");
            return Dropped;
        }
    }
    if (!d.dropSent) SendToTarget(d, d.atoms.leave, 0, 0, 0, 0);
    std::fprintf(stderr, "xdnd_drop: window 0x%lx sent no %s within %d s\n", d.target,
                 d.dropSent ? "XdndFinished" : "XdndStatus", seconds);
    return TimedOut;
}

int Usage() {
    std::fprintf(stderr, "usage: xdnd_drop [--timeout SECONDS] WINDOW FILE...\n");
    return BadUsage;
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 5, first = 1;
    if (argc > 2 && !std::strcmp(argv[1], "--timeout")) {
        seconds = std::atoi(argv[2]);
        first = 3;
        if (seconds <= 0) return Usage();
    }
    if (argc - first < 2) return Usage();
    char* end = nullptr;
    const unsigned long window = std::strtoul(argv[first], &end, 0);
    if (!*argv[first] || *end || window == 0) return Usage();

    std::vector<std::string> uris;
    for (int i = first + 1; i < argc; ++i) {
        std::string uri;
        if (!FileUri(argv[i], uri)) {
            std::fprintf(stderr, "xdnd_drop: %s: %s\n", argv[i], std::strerror(errno));
            return BadUsage;
        }
        uris.push_back(uri);
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xdnd_drop: cannot open the display\n");
        return BadUsage;
    }
    XSetErrorHandler(NoteXError);
    Drag d{display, InternAtoms(display), window, 0, uris};
    const long version = TargetVersion(d);
    if (LastXError) {
        std::fprintf(stderr, "xdnd_drop: no window 0x%lx\n", window);
        XCloseDisplay(display);
        return BadUsage;
    }
    if (version < XdndVersion) {
        std::fprintf(stderr, "xdnd_drop: window 0x%lx takes no XDND %ld drops (XdndAware %ld)\n",
                     window, XdndVersion, version);
        XCloseDisplay(display);
        return Refused;
    }
    // Never mapped: the drag takes neither the focus nor a place on the screen.
    d.source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, d.source, PropertyChangeMask);
    d.time = ServerTime(display, d.source);
    const Outcome outcome = RunDrag(d, seconds);
    XDestroyWindow(display, d.source);
    XCloseDisplay(display);
    return outcome;
}
