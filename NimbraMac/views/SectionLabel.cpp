#include "SectionLabel.h"

namespace nimbra {

QString sectionLabelText(const QString& title) {
    return title.toUpper();
}

TextToken sectionLabelStyle() {
    return {FontToken::style(TextStyle::caption, FontWeight::semibold), ColorToken::of(Tint::secondary)};
}

SectionLabel::SectionLabel(const QString& title, QWidget* parent)
    : FitLabel(sectionLabelText(title), sectionLabelStyle(), 1.0, parent) {}

void SectionLabel::setTitle(const QString& title) {
    setText(sectionLabelText(title));
}

} // namespace nimbra
