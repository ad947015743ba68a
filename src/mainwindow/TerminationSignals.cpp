// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminationSignals.h"

#include "EndingSignals.h"

#include <QSocketNotifier>

#include <cstring>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace harrowdeck {

namespace {

// One pipe for the process: a signal handler can reach nothing else safely.
int g_pipe[2] = {-1, -1};

void OnSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] != -1) {
        failure_ = "termination signals are already being watched";
        return;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        failure_ = std::string("could not create the signal pipe: ") + std::strerror(errno);
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
    const EndingSignal* failed = CatchEndingSignals(OnSignal);
    active_ = failed == nullptr;
    if (!active_) {
        failure_ = std::string("could not handle ") + failed->name + ": " + std::strerror(errno);
    }
}

TerminationSignals::~TerminationSignals()
{
    if (notifier_ == nullptr) {
        return;
    }
    RestoreEndingSignals();
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::Drain()
{
    char buffer[64];
    bool received = false;
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
        received = true;
    }
    if (received) {
        emit terminationRequested();
    }
}

} // namespace harrowdeck
