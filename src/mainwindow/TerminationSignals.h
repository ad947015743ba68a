// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <string>

class QSocketNotifier;

namespace harrowdeck {

// Turns SIGTERM and SIGINT into a Qt signal on the UI thread, so that the
// program ends the normal way (saving its choices) when the session or a
// service manager stops it. The handler only writes a byte into a pipe; the
// event loop, also a modal window's, picks it up.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // True once both handlers are in place. False when the pipe or either
    // handler could not be set up; a signal without a handler then ends the
    // program the default way.
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
