#include "SettingsForm.h"

#include "FitLabel.h"
#include "ViewTheme.h"
#include "WrapLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace nimbra {

namespace {

// The card behind a section's rows, with a hairline under every row but the last.
class SectionCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath shape;
        shape.addRoundedRect(box, 8, 8);
        painter.fillPath(shape, theme::color(Tint::primary, palette(), 0.05));
        painter.setPen(QPen(theme::color(Tint::primary, palette(), 0.09), 1));
        painter.drawPath(shape);
        const auto* rows = layout();
        for (int i = 0; rows && i + 1 < rows->count(); ++i) {
            const QWidget* row = rows->itemAt(i)->widget();
            if (!row || !row->isVisible())
                continue;
            const double y = row->geometry().bottom() + rows->spacing() / 2.0 + 1;
            painter.drawLine(QPointF(12, y), QPointF(width() - 12, y));
        }
    }
};

// A row's line, at least the row height tall. The height is the layout's own minimum, not the row's: a
// fixed minimum on the row would replace what its content needs, and a long list would squeeze its rows to
// that height instead of scrolling.
QHBoxLayout* rowLine(QWidget* row) {
    auto* line = new QHBoxLayout(row);
    constexpr int margin = 2;
    line->setContentsMargins(0, margin, 0, margin);
    line->addStrut(settingsstyle::rowHeight - 2 * margin);
    return line;
}

} // namespace

SettingsSection::SettingsSection(const QString& title, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    m_title = new FitLabel(title, settingsstyle::sectionTitle);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(4, 0, 4, 0);
    titleRow->addWidget(m_title);
    column->addLayout(titleRow);
    m_card = new SectionCard;
    m_rows = new QVBoxLayout(m_card);
    m_rows->setContentsMargins(12, 3, 12, 3);
    m_rows->setSpacing(1);
    column->addWidget(m_card);
}

FitLabel* SettingsSection::addRow(const QString& label, QWidget* control) {
    auto* row = new QWidget;
    auto* line = rowLine(row);
    line->setSpacing(10);
    auto* title = new FitLabel(label, settingsstyle::row);
    line->addWidget(title);
    line->addStretch(1);
    line->addWidget(control);
    m_rows->addWidget(row);
    return title;
}

void SettingsSection::addRow(QWidget* content) {
    auto* row = new QWidget;
    rowLine(row)->addWidget(content);
    m_rows->addWidget(row);
}

WrapLabel* SettingsSection::addCaption(const QString& text, const TextToken& style) {
    auto* caption = new WrapLabel(text, style);
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 4, 0, 4);
    line->addWidget(caption);
    m_rows->addWidget(row);
    return caption;
}

SettingsForm::SettingsForm(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    m_content = new QWidget;
    m_content->setAutoFillBackground(false);
    m_sections = new QVBoxLayout(m_content);
    m_sections->setContentsMargins(8, 6, 8, 6);
    m_sections->setSpacing(10);
    m_sections->addStretch(1);
    setWidget(m_content);
}

SettingsSection* SettingsForm::addSection(const QString& title) {
    auto* section = new SettingsSection(title);
    m_sections->insertWidget(m_sections->count() - 1, section);
    return section;
}

} // namespace nimbra
