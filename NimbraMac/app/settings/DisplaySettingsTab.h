#pragma once

#include "DisplaySettingsModel.h"
#include "SettingsBinding.h"
#include "SettingsForm.h"

class QSlider;

namespace nimbra {

class FitLabel;
class SegmentedControl;
class WrapLabel;
class StepperButtons;
class ToggleSwitch;

// Units, what the tray title shows, which dashboard blocks are on, and the refresh interval. Every control
// writes its one field at once.
class DisplaySettingsTab : public SettingsForm {
    Q_OBJECT
public:
    static inline const QString sizeCaptionText = QStringLiteral(
        QT_TRANSLATE_NOOP("nimbra::DisplaySettingsTab", "The panel sets the size of tray icons and text."));

    explicit DisplaySettingsTab(SettingsBinding binding, QWidget* parent = nullptr);
    // Shows the store's values; writes nothing.
    void syncFromStore();

    SegmentedControl* temperatureUnit() const { return m_temperature; }
    SegmentedControl* windSpeedUnit() const { return m_wind; }
    ToggleSwitch* conditionToggle() const { return m_condition; }
    ToggleSwitch* confidenceToggle() const { return m_confidence; }
    QSlider* fontSizeSlider() const { return m_fontSlider; }
    QSlider* iconSizeSlider() const { return m_iconSlider; }
    FitLabel* fontSizeText() const { return m_fontText; }
    FitLabel* iconSizeText() const { return m_iconText; }
    // Says why the two size sliders are off.
    WrapLabel* sizeCaption() const { return m_sizeCaption; }
    ToggleSwitch* graphToggle() const { return m_graph; }
    ToggleSwitch* cardsToggle() const { return m_cards; }
    ToggleSwitch* alertsToggle() const { return m_alerts; }
    FitLabel* refreshLabel() const { return m_refreshLabel; }
    StepperButtons* refreshStepper() const { return m_stepper; }

private:
    ToggleSwitch* addToggle(SettingsSection* section, const QString& label, bool WeatherSettings::*field);
    QSlider* addSizeRow(SettingsSection* section, const QString& label, double WeatherSettings::*field,
                        displaysettings::SliderRange range, FitLabel*& valueText);

    SettingsBinding m_binding;
    SegmentedControl* m_temperature;
    SegmentedControl* m_wind;
    ToggleSwitch* m_condition;
    ToggleSwitch* m_confidence;
    QSlider* m_fontSlider;
    QSlider* m_iconSlider;
    FitLabel* m_fontText = nullptr;
    FitLabel* m_iconText = nullptr;
    WrapLabel* m_sizeCaption;
    ToggleSwitch* m_graph;
    ToggleSwitch* m_cards;
    ToggleSwitch* m_alerts;
    FitLabel* m_refreshLabel;
    StepperButtons* m_stepper;
};

} // namespace nimbra
