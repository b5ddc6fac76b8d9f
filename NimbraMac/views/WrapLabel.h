#pragma once

#include "ViewTokens.h"

#include <QWidget>

#include <array>
#include <optional>
#include <utility>

class QTextLayout;

namespace nimbra {

// Plain text that wraps onto as many lines as its width needs (or at most maximumLineCount, shrinking to the
// minimum scale factor and then eliding the last line). Text from providers goes through here: it is laid out
// as plain text, never interpreted as markup.
class WrapLabel : public QWidget {
    Q_OBJECT
public:
    explicit WrapLabel(QWidget* parent = nullptr);
    WrapLabel(const QString& text, const TextToken& style, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setStyle(const TextToken& style);
    TextToken style() const { return m_style; }
    void setAlignment(Qt::Alignment alignment);
    // 0: no limit.
    void setMaximumLineCount(int lines, double minimumScaleFactor = 1.0);

    // Fades the text (1: opaque).
    void setOpacity(double opacity);

    bool isTruncated() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Fit {
        double scale = 1.0;
        int lines = 0;
        qreal height = 0;
        bool truncated = false;
    };
    // Laid out once per width until the text or its style changes: a layout pass asks for the same few
    // widths over and over (the natural one, the column's, the scroll area's), and each time lays out the
    // whole text.
    Fit fit(int width) const;
    Fit layOut(int width) const;
    int lines(QTextLayout& layout, qreal width) const;
    void forgetFit();

    QString m_text;
    TextToken m_style;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_maximumLines = 0;
    double m_minimumScale = 1.0;
    double m_opacity = 1.0;
    mutable std::array<std::optional<std::pair<int, Fit>>, 4> m_fits;
    mutable std::size_t m_nextFit = 0;
    // The text's width on one line, for the size hint.
    mutable std::optional<int> m_naturalWidth;
};

} // namespace nimbra
