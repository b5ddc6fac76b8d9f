#pragma once

#include <QAbstractButton>
#include <QStringList>
#include <QWidget>

class QTimer;
class QToolButton;

namespace nimbra {

// The small controls of the settings window. Each reports only what the user does: setting a value from
// code emits nothing, so a control synced from the store never writes back.

// An on/off switch. User flips arrive through QAbstractButton::clicked(bool).
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {34, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Segments of which exactly one is chosen.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& titles, QWidget* parent = nullptr);
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    const QStringList& titles() const { return m_titles; }
    QRect segmentRect(int index) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // A segment was chosen by the user, even the one already chosen.
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int segmentWidth() const;
    QStringList m_titles;
    int m_current = -1;
};

// The two buttons of a stepper; the caller says which one may be pressed.
class StepperButtons : public QWidget {
    Q_OBJECT
public:
    explicit StepperButtons(QWidget* parent = nullptr);
    void setCanStep(bool up, bool down);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void incremented();
    void decremented();

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

// The small indeterminate progress indicator: a turning arc, animated only while shown.
class ActivityIndicator : public QWidget {
    Q_OBJECT
public:
    explicit ActivityIndicator(int edge = 14, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {m_edge, m_edge}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int m_edge;
    int m_step = 0;
    QTimer* m_timer;
};

} // namespace nimbra
