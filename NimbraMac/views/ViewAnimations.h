#pragma once

namespace nimbra::animations {

// Whether views animate their changes (the ten-day list's expand and collapse). Render tests and screenshot
// tools switch this off so every change shows its end state at once. Views read it when they are created.
bool enabled();
void setEnabled(bool enabled);

} // namespace nimbra::animations
