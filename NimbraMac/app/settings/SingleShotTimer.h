#pragma once

#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace nimbra {

// A restartable one-shot delay, so logic that waits for a pause in typing can be driven by a test without
// waiting for real time.
class SingleShotTimer {
public:
    virtual ~SingleShotTimer() = default;
    // Replaces any pending shot.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    static std::unique_ptr<SingleShotTimer> make();
};

class QtSingleShotTimer final : public SingleShotTimer {
public:
    QtSingleShotTimer();
    void start(std::chrono::milliseconds delay, std::function<void()> fire) override;
    void stop() override;
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_fire;
};

// Fires only when the test says so.
class ManualSingleShotTimer final : public SingleShotTimer {
public:
    void start(std::chrono::milliseconds delay, std::function<void()> fire) override {
        m_delay = delay;
        m_fire = std::move(fire);
    }
    void stop() override { m_fire = nullptr; }
    bool isActive() const override { return bool(m_fire); }
    std::chrono::milliseconds delay() const { return m_delay; }
    // Runs the pending shot, if any; false when none was pending.
    bool fire() {
        auto fire = std::exchange(m_fire, nullptr);
        if (fire)
            fire();
        return bool(fire);
    }

private:
    std::chrono::milliseconds m_delay{0};
    std::function<void()> m_fire;
};

} // namespace nimbra
