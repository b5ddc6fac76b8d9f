#pragma once

#include "ViewTokens.h"

#include <QScrollArea>
#include <QWidget>

class QVBoxLayout;

namespace nimbra {

class FitLabel;
class WrapLabel;

// The settings window's text styles: rows in the small control size, captions below them.
namespace settingsstyle {
inline const TextToken row{FontToken::system(13, FontWeight::regular), ColorToken::of(Tint::primary)};
inline const TextToken value{FontToken::system(13, FontWeight::regular), ColorToken::of(Tint::secondary)};
inline const TextToken sectionTitle{FontToken::system(12, FontWeight::semibold),
                                    ColorToken::of(Tint::secondary)};
inline const TextToken caption{FontToken::system(11, FontWeight::regular), ColorToken::of(Tint::secondary)};
inline const TextToken caption2{FontToken::system(10, FontWeight::regular), ColorToken::of(Tint::secondary)};
constexpr int rowHeight = 26;
} // namespace settingsstyle

// One titled group of the grouped form: a plain title above a rounded card whose rows are parted by thin
// lines.
class SettingsSection : public QWidget {
    Q_OBJECT
public:
    explicit SettingsSection(const QString& title, QWidget* parent = nullptr);

    // A label on the left and the control on the right.
    FitLabel* addRow(const QString& label, QWidget* control);
    // A control that fills the row.
    void addRow(QWidget* content);
    // A secondary text that wraps.
    WrapLabel* addCaption(const QString& text, const TextToken& style = settingsstyle::caption);

    FitLabel* titleLabel() const { return m_title; }
    QWidget* card() const { return m_card; }

private:
    FitLabel* m_title;
    QWidget* m_card;
    QVBoxLayout* m_rows;
};

// A tab's content: its sections stacked from the top, scrolling when they are taller than the window. The
// background stays transparent so the window's shows through.
class SettingsForm : public QScrollArea {
    Q_OBJECT
public:
    explicit SettingsForm(QWidget* parent = nullptr);
    SettingsSection* addSection(const QString& title);
    QWidget* content() const { return m_content; }

private:
    QWidget* m_content;
    QVBoxLayout* m_sections;
};

} // namespace nimbra
