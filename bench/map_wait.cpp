// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and prints how long it took until a top-level window of
// the given name was mapped on the X screen, in milliseconds; then ends the
// program. map-wait NAME PROGRAM [ARG...]
#include <X11/Xlib.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

bool Named(Display* display, Window window, const char* name)
{
    char* title = nullptr;
    const bool same = XFetchName(display, window, &title) != 0 && title != nullptr && std::strcmp(title, name) == 0;
    if (title != nullptr) {
        XFree(title);
    }
    return same;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s NAME PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: no X display\n", argv[0]);
        return 1;
    }
    // Every window mapped on the root, as it happens.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 1;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && Named(display, event.xmap.window, argv[1])) {
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            std::printf("%.0f\n", took.count());
            status = 0;
            break;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return status;
}
