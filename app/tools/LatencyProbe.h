#pragma once
// An event-loop latency probe for the benchmarks that drive the real windows: a timer every
// 2 ms on the thread that made it, and the longest gap between two of its firings while it
// runs, that is the longest the thread was kept from taking its events.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace brindle::tools {

class LatencyProbe {
public:
    static constexpr int kIntervalMs = 2;

    LatencyProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kIntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            Gap();
            ++ticks_;
        });
    }

    // A measurement of its own: the wait until the first firing counts as a gap too.
    void Start() {
        longestNs_ = 0;
        ticks_ = 0;
        clock_.start();
        lastNs_ = 0;
        timer_.start();
    }
    // So does the wait since the last firing: a thread kept busy up to the end is not missed.
    void Stop() {
        Gap();
        timer_.stop();
    }

    double longestGapMs() const { return static_cast<double>(longestNs_) / 1e6; }
    // The firings seen: with too few, the longest gap says little more than the time run.
    long ticks() const { return ticks_; }

private:
    void Gap() {
        const qint64 now = clock_.nsecsElapsed();
        longestNs_ = std::max(longestNs_, now - lastNs_);
        lastNs_ = now;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    qint64 longestNs_ = 0;
    long ticks_ = 0;
};

}  // namespace brindle::tools
