#pragma once

#include "ViewTokens.h"

#include <QPointer>
#include <QWidget>

#include <optional>

namespace nimbra {

// One line of plain text that, when its space is too narrow, first shrinks down to a minimum scale factor and
// only then is elided. Its minimum size hint is the width at that scale, so layouts give way before the text
// has to be cut; isTruncated() tells whether the current width still cuts it.
class FitLabel : public QWidget {
    Q_OBJECT
public:
    explicit FitLabel(QWidget* parent = nullptr);
    FitLabel(const QString& text, const TextToken& style, double minimumScaleFactor = 1.0,
             QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setStyle(const TextToken& style);
    TextToken style() const { return m_style; }
    void setMinimumScaleFactor(double factor);
    double minimumScaleFactor() const { return m_minimumScale; }
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }
    // For two labels on the bottom of one row: keeps this one's baseline level with the partner's. Whichever
    // font descends less gets the difference as room below its text, which it then draws at its top. Worked
    // out when the label is measured, not here.
    void setBaselinePartner(FitLabel* partner);

    // Width of the text at full size.
    qreal naturalWidth() const;
    // Scale the text is drawn at in the current width (never below the minimum factor).
    double currentScale() const;
    bool isTruncated() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct FontExtent {
        qreal ascent = 0;
        qreal descent = 0;
    };
    const FontExtent& fontExtent() const;
    int lineHeight() const;
    int descent() const;
    int baselineLift() const;

    QString m_text;
    TextToken m_style;
    double m_minimumScale = 1.0;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QPointer<FitLabel> m_baselinePartner;
    // naturalWidth(), once per text and style: layouts and paints ask for it many times, and each measure
    // shapes the whole text.
    mutable std::optional<qreal> m_naturalWidth;
    // The font's ascent and descent, once per style: every size hint asks for them, the partner's too.
    mutable std::optional<FontExtent> m_fontExtent;
};

} // namespace nimbra
