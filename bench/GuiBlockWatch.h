#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace nimbra::bench {

// The longest time the GUI thread did not turn its event loop: a 1 ms precise timer on that thread, and the
// largest gap between two of its ticks (about 1 ms when nothing blocks). Work done between two ticks, in an
// event handler or in the code that drives the scenario, counts alike.
class GuiBlockWatch : public QObject {
public:
    GuiBlockWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    // Forgets what was seen so far and watches from now.
    void start() {
        m_longestNs = 0;
        m_clock.start();
        m_lastNs = 0;
        m_timer.start();
    }

    // The longest gap since start(), up to now, in milliseconds.
    double stopMs() {
        tick();
        m_timer.stop();
        return double(m_longestNs) / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestNs = std::max(m_longestNs, now - m_lastNs);
        m_lastNs = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
};

} // namespace nimbra::bench
