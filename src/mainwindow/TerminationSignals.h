// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

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

    // False when the pipe or the handlers could not be set up; the program
    // then ends on those signals the default way.
    [[nodiscard]] bool IsActive() const { return notifier_ != nullptr; }

signals:
    void terminationRequested();

private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace harrowdeck
