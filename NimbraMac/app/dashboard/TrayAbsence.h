#pragma once

#include "WindowUseWatch.h"

#include <QObject>
#include <QTimer>

#include <chrono>

namespace nimbra {

// When the dashboard stands in for a tray that is away. A tray may be away only for a moment (GNOME switches
// its tray extension off while the screen is locked, and a shell restart takes a second): the window waits
// out a grace first, and a window shown in the tray's place goes back to it when it returns, unless the user
// has used it meanwhile. What the user opened stays open.
class TrayAbsence : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultGrace{3000};

    explicit TrayAbsence(std::chrono::milliseconds grace = defaultGrace, QObject* parent = nullptr);

    enum class At { start, change };
    // The tray came or went (a change), or is there or not when the application starts; it counts as there
    // until said otherwise.
    void setAvailable(bool available, At at = At::change);
    bool isAvailable() const { return m_available; }
    // The window shows in the tray's place, not at the user's word.
    void shownInstead(QWidget* window);
    // The user asked for the window (a second start, a menu entry, a click): it stays.
    void askedFor() { m_use.stop(); }
    bool isWaiting() const { return m_grace.isActive(); }

Q_SIGNALS:
    // The tray stayed away through the grace: the window must show.
    void showInstead();
    // The tray is back and the window shown in its place was not used: it may go.
    void returnToTray();

private:
    QTimer m_grace;
    WindowUseWatch m_use;
    bool m_available = true;
};

} // namespace nimbra
