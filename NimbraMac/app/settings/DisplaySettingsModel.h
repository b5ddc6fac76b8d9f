#pragma once

#include <QString>

namespace nimbra {

// The rules of the display tab's sliders and stepper that do not depend on a widget.
namespace displaysettings {

struct SliderRange {
    int minimum;
    int maximum;
};
inline constexpr SliderRange fontSizeRange{10, 16};
inline constexpr SliderRange iconSizeRange{12, 22};

// The stored size rounded half away from zero, then " pt". It shows the stored value, which may lie
// outside the slider's range.
QString sizeValueText(double points);
// Where the slider's knob stands for a stored size: the rounded value, held inside the range. Only for
// showing; the stored value is never written back from it.
int sliderPosition(double points, SliderRange range);

namespace refreshinterval {
inline constexpr int minimum = 15;
inline constexpr int maximum = 180;
inline constexpr int step = 15;

// "Refresh every 20 minutes": the stored value unchanged, even off the 15-minute grid.
QString label(int minutes);
int incremented(int minutes);
int decremented(int minutes);
bool canIncrement(int minutes);
bool canDecrement(int minutes);
} // namespace refreshinterval

} // namespace displaysettings
} // namespace nimbra
