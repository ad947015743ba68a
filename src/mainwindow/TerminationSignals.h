// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <string>

class QSocketNotifier;

namespace harrowdeck {

// Turns every ending signal (EndingSignals.h: SIGTERM, SIGINT, SIGHUP and
// the others that end a process by default) into a Qt signal on the UI
// thread, so that the program ends the normal way, abandoning a run and
// saving its choices, when the session, a terminal or a service manager
// stops it. The handler only writes a byte into a pipe; the event loop, also
// a modal window's, picks it up.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // True once every handler is in place. False when the pipe or a handler
    // could not be set up; a signal without a handler then ends the program
    // the default way.
    [[nodiscard]] bool IsActive() const { return active_; }
    // What failed and why, while not IsActive(), for the caller to report.
    [[nodiscard]] const std::string& Failure() const { return failure_; }

signals:
    void terminationRequested();

private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
    bool active_ = false;
    std::string failure_;
};

} // namespace harrowdeck
