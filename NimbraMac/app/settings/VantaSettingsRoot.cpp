#include "VantaSettingsRoot.h"

#include "ViewTheme.h"

#include <QHideEvent>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

#include <utility>

namespace nimbra {

QPalette VantaSettingsRoot::darkPalette() {
    QPalette p;
    const QColor window(40, 40, 42);
    const QColor text(236, 236, 238);
    const QColor control(64, 64, 68);
    const QColor field(30, 30, 32);
    const QColor dimText(130, 130, 134);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, disabled ? dimText : text);
        p.setColor(group, QPalette::Base, field);
        p.setColor(group, QPalette::AlternateBase, window.lighter(115));
        p.setColor(group, QPalette::Text, disabled ? dimText : text);
        p.setColor(group, QPalette::PlaceholderText, dimText);
        p.setColor(group, QPalette::Button, control);
        p.setColor(group, QPalette::ButtonText, disabled ? dimText : text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Highlight, disabled ? control : QColor(10, 132, 255));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, control);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::Link, QColor(64, 156, 255));
        p.setColor(group, QPalette::Light, control.lighter(140));
        p.setColor(group, QPalette::Midlight, control.lighter(120));
        p.setColor(group, QPalette::Mid, control.darker(120));
        p.setColor(group, QPalette::Dark, control.darker(160));
        p.setColor(group, QPalette::Shadow, Qt::black);
    }
    return p;
}

VantaSettingsRoot::VantaSettingsRoot(WeatherStore* store, SettingsEnvironment environment, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(tr("Nimbra Settings"));
    setObjectName(QStringLiteral("settings"));
    setFixedSize(windowSize);
    setPalette(darkPalette());
    setAutoFillBackground(false);
    QFont font(theme::textFamily());
    font.setPixelSize(13);
    setFont(font);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    // Made inside the window, so its controls take the window's palette and font as they are made instead
    // of each being told again when the whole tree is moved in.
    m_content = new MacSettingsView(store, std::move(environment), this);
    column->addWidget(m_content);
    m_present.setSingleShot(true);
    m_present.setInterval(0);
    connect(&m_present, &QTimer::timeout, this, &VantaSettingsRoot::presentTurn);
}

void VantaSettingsRoot::present() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void VantaSettingsRoot::presentNextTurn() {
    m_laidOut = false;
    m_present.start();
}

void VantaSettingsRoot::presentTurn() {
    if (std::exchange(m_laidOut, true)) {
        present();
        return;
    }
    ensurePolished();
    layout()->activate();
    m_present.start();
}

void VantaSettingsRoot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_content->appeared();
}

void VantaSettingsRoot::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_content->disappeared();
}

void VantaSettingsRoot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

} // namespace nimbra
