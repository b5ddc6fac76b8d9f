#pragma once

#include "MacSettingsView.h"

#include <QTimer>
#include <QWidget>

namespace nimbra {

// The settings window: 620 x 480, dark whatever the desktop's theme, the settings view inset by 18. Made
// once by the application and shown again on every opening; closing only hides it.
// ("Vanta" is the name the settings window and its look had first; here it is the top-level Qt widget.)
class VantaSettingsRoot : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize windowSize{620, 480};
    static constexpr int padding = 18;

    VantaSettingsRoot(WeatherStore* store, SettingsEnvironment environment = {}, QWidget* parent = nullptr);

    // Shows the window or brings it back: un-minimised, raised and focused.
    void present();
    // Presents it over the timers' turns that follow this one: laid out in the first, shown in the next.
    // Timers due meanwhile run between the making of the window, its layout and its showing (queued calls
    // would run right behind one another).
    void presentNextTurn();
    MacSettingsView* content() const { return m_content; }

    // The colours of the window, fixed dark.
    static QPalette darkPalette();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void presentTurn();

    MacSettingsView* m_content;
    QTimer m_present;
    bool m_laidOut = false;
};

} // namespace nimbra
