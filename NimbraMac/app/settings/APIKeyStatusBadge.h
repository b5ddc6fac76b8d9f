#pragma once

#include "APIKeyCheckStatus.h"

#include <QWidget>

namespace nimbra {

class ActivityIndicator;

// The capsule that shows where one key check stands: a symbol (or a small spinner while checking) and a
// word, in the status's tint over a faint fill of it. Never wraps or truncates.
class APIKeyStatusBadge : public QWidget {
    Q_OBJECT
public:
    explicit APIKeyStatusBadge(QWidget* parent = nullptr);
    void setStatus(const APIKeyCheckStatus& status);
    const APIKeyCheckStatus& status() const { return m_status; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    APIKeyCheckStatus m_status = APIKeyCheckStatus::notChecked();
    ActivityIndicator* m_spinner;
};

} // namespace nimbra
