#pragma once

#include <QColor>
#include <QRectF>
#include <QToolButton>
#include <QWidget>

class QPainter;
class QTimer;

namespace nimbra {

// The shell's own small pictures, drawn so they look the same under every icon theme.
enum class AppGlyph { refresh, gear, power, umbrella, warning };

void drawAppGlyph(QPainter& painter, AppGlyph glyph, const QRectF& box, const QColor& tint);

// A borderless button showing one glyph in the text colour, or a small spinner while busy (it stays a
// button: a click still reaches it).
class GlyphButton : public QToolButton {
    Q_OBJECT
public:
    GlyphButton(AppGlyph glyph, const QString& help, QWidget* parent = nullptr);
    AppGlyph glyph() const { return m_glyph; }
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void paintSpinner(QPainter& painter);

    AppGlyph m_glyph;
    bool m_busy = false;
    // The spinner animates only while it is on screen.
    QTimer* m_timer;
    int m_step = 0;
};

} // namespace nimbra
