#pragma once

namespace brindle {
class RenameSession;
}

namespace brindle::cli {

// brindle-cli's answer to SIGINT, SIGTERM and SIGHUP during a batch or an Undo: the
// handler only remembers the signal and asks the running session to stop at its next
// item. The program then writes the last outcomes and the statistics as at a normal end,
// and at last ends by the same signal (EndByCaughtSignal), as shells expect of a program
// that was interrupted.

// Installs the handler for each of the three signals, except one that is ignored (as
// nohup ignores SIGHUP): that one stays ignored.
void CatchStopSignals();

// The first stop signal caught, or 0.
int CaughtStopSignal() noexcept;

// While it lives, a stop signal asks `session` to stop; one caught before it was made
// asks at once.
class StopOnSignal {
public:
    explicit StopOnSignal(RenameSession& session);
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;
};

// Waits until `fd` has input to read: 1, or 0 once a stop signal has been caught (also
// one that came just before the wait), or -1 with errno.
int WaitForInputOrStop(int fd);

// Ends the program by the caught stop signal, with the signal's default action. Returns
// only when none was caught or the signal did not end it.
void EndByCaughtSignal();

}  // namespace brindle::cli
