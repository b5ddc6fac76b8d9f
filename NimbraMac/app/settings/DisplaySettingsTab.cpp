#include "DisplaySettingsTab.h"

#include "FitLabel.h"
#include "SettingsControls.h"
#include "Translations.h"
#include "WrapLabel.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QSignalBlocker>
#include <QSlider>

namespace nimbra {

namespace {

void setChecked(QAbstractButton* button, bool on) {
    const QSignalBlocker blocker(button);
    button->setChecked(on);
}

} // namespace

DisplaySettingsTab::DisplaySettingsTab(SettingsBinding binding, QWidget* parent)
    : SettingsForm(parent), m_binding(binding) {
    auto* units = addSection(tr("Units"));
    m_temperature = new SegmentedControl({tr("Fahrenheit"), tr("Celsius")});
    units->addRow(tr("Temperature Unit"), m_temperature);
    connect(m_temperature, &SegmentedControl::activated, this, [this](int index) {
        m_binding.write(&WeatherSettings::temperatureUnit,
                        index == 0 ? TemperatureUnit::fahrenheit : TemperatureUnit::celsius);
    });
    m_wind = new SegmentedControl({tr("mph"), tr("km/h")});
    units->addRow(tr("Wind Speed"), m_wind);
    connect(m_wind, &SegmentedControl::activated, this, [this](int index) {
        m_binding.write(&WeatherSettings::windSpeedUnit,
                        index == 0 ? WindSpeedUnit::milesPerHour : WindSpeedUnit::kilometersPerHour);
    });

    auto* menuBar = addSection(tr("Menu Bar"));
    m_condition =
        addToggle(menuBar, tr("Show weather description"), &WeatherSettings::showConditionInMenuBar);
    m_confidence = addToggle(menuBar, tr("Show confidence"), &WeatherSettings::showConfidenceInMenuBar);
    m_fontSlider = addSizeRow(menuBar, tr("Font Size"), &WeatherSettings::menuBarFontSize,
                              displaysettings::fontSizeRange, m_fontText);
    m_iconSlider = addSizeRow(menuBar, tr("Icon Size"), &WeatherSettings::menuBarIconSize,
                              displaysettings::iconSizeRange, m_iconText);
    // The panel, not the item, decides how large tray icons and labels are; the stored sizes stay as they are
    // for a desktop that lets us choose.
    m_fontSlider->setEnabled(false);
    m_iconSlider->setEnabled(false);
    m_sizeCaption = menuBar->addCaption(translatedText("nimbra::DisplaySettingsTab", sizeCaptionText));
    // Tucked under the sliders it explains, so the tab still fits the window with the warning line shown.
    m_sizeCaption->parentWidget()->layout()->setContentsMargins(0, 0, 0, 3);

    auto* forecast = addSection(tr("Forecast"));
    m_graph = addToggle(forecast, tr("Show 12-hour graph"), &WeatherSettings::showTwelveHourTrendGraph);
    m_cards = addToggle(forecast, tr("Show 12-hour cards"), &WeatherSettings::showHourlyForecastCards);
    m_alerts = addToggle(forecast, tr("Show severe weather alerts"), &WeatherSettings::showAlerts);
    m_stepper = new StepperButtons;
    m_refreshLabel = forecast->addRow(QString(), m_stepper);
    namespace interval = displaysettings::refreshinterval;
    connect(m_stepper, &StepperButtons::incremented, this, [this] {
        m_binding.write(&WeatherSettings::refreshIntervalMinutes,
                        interval::incremented(m_binding.settings().refreshIntervalMinutes));
    });
    connect(m_stepper, &StepperButtons::decremented, this, [this] {
        m_binding.write(&WeatherSettings::refreshIntervalMinutes,
                        interval::decremented(m_binding.settings().refreshIntervalMinutes));
    });
    syncFromStore();
}

ToggleSwitch* DisplaySettingsTab::addToggle(SettingsSection* section, const QString& label,
                                            bool WeatherSettings::*field) {
    auto* toggle = new ToggleSwitch;
    toggle->setAccessibleName(label);
    section->addRow(label, toggle);
    connect(toggle, &ToggleSwitch::clicked, this, [this, field](bool on) { m_binding.write(field, on); });
    return toggle;
}

QSlider* DisplaySettingsTab::addSizeRow(SettingsSection* section, const QString& label,
                                        double WeatherSettings::*field, displaysettings::SliderRange range,
                                        FitLabel*& valueText) {
    auto* value = new QWidget;
    auto* row = new QHBoxLayout(value);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(range.minimum, range.maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setFixedWidth(150);
    slider->setAccessibleName(label);
    valueText =
        new FitLabel(QString(), TextToken{settingsstyle::value.font.digits(), settingsstyle::value.color});
    valueText->setFixedWidth(44);
    valueText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(slider);
    row->addWidget(valueText);
    section->addRow(label, value);
    // Every step of a drag is one write; the store's value is shown again by the next sync.
    connect(slider, &QSlider::valueChanged, this,
            [this, field](int position) { m_binding.write(field, double(position)); });
    return slider;
}

void DisplaySettingsTab::syncFromStore() {
    const WeatherSettings& s = m_binding.settings();
    m_temperature->setCurrentIndex(s.temperatureUnit == TemperatureUnit::fahrenheit ? 0 : 1);
    m_wind->setCurrentIndex(s.windSpeedUnit == WindSpeedUnit::milesPerHour ? 0 : 1);
    setChecked(m_condition, s.showConditionInMenuBar);
    setChecked(m_confidence, s.showConfidenceInMenuBar);
    setChecked(m_graph, s.showTwelveHourTrendGraph);
    setChecked(m_cards, s.showHourlyForecastCards);
    setChecked(m_alerts, s.showAlerts);
    const auto setSlider = [](QSlider* slider, double stored, displaysettings::SliderRange range) {
        // A stored size outside the range moves the knob to the end, never the stored value.
        const QSignalBlocker blocker(slider);
        slider->setValue(displaysettings::sliderPosition(stored, range));
    };
    setSlider(m_fontSlider, s.menuBarFontSize, displaysettings::fontSizeRange);
    setSlider(m_iconSlider, s.menuBarIconSize, displaysettings::iconSizeRange);
    m_fontText->setText(displaysettings::sizeValueText(s.menuBarFontSize));
    m_iconText->setText(displaysettings::sizeValueText(s.menuBarIconSize));
    namespace interval = displaysettings::refreshinterval;
    m_refreshLabel->setText(interval::label(s.refreshIntervalMinutes));
    m_stepper->setCanStep(interval::canIncrement(s.refreshIntervalMinutes),
                          interval::canDecrement(s.refreshIntervalMinutes));
}

} // namespace nimbra
