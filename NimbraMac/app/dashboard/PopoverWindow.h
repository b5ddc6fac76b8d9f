#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

namespace nimbra {

// The window that holds the dashboard: a frameless popup that closes on a click outside it, or, where the
// window system cannot place popups (Wayland) or there is no tray to open it from, an ordinary small window.
// Ctrl+, inside it asks for the settings and goes no further.
class PopoverWindow : public QWidget {
    Q_OBJECT
public:
    enum class Mode { popup, window };

    explicit PopoverWindow(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Where the tray icon is on screen, when the tray says; a click there while the popup is open belongs to
    // the icon's own toggle.
    void setAnchor(const std::optional<QRect>& anchor) { m_anchor = anchor; }

    // What the first showing would do at once, as steps to run beforehand at the size it will show at: the
    // native window, its pixel memory, its cursor and the painting threads.
    QList<std::function<void()>> firstShowingSteps();

    // Milliseconds since the window was last shown or hidden; none before the first time.
    std::optional<qint64> msSinceShown() const;
    std::optional<qint64> msSinceHidden() const;

Q_SIGNALS:
    void settingsShortcut();
    void hidden();
    // The window's close button (or the window manager) closed it.
    void closedByUser();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void prepareBackingStore();

    Mode m_mode;
    QWidget* m_content = nullptr;
    std::optional<QRect> m_anchor;
    QElapsedTimer m_shown;
    QElapsedTimer m_hidden;
};

} // namespace nimbra
