#pragma once

#include <QLoggingCategory>

namespace nimbra {

// "<identifier>.App": the tray application's lines.
const QLoggingCategory& appLog();

} // namespace nimbra
