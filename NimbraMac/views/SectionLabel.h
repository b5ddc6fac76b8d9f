#pragma once

#include "FitLabel.h"

namespace nimbra {

// The caption above each dashboard section: the title as given, shown upper-cased.
QString sectionLabelText(const QString& title);
TextToken sectionLabelStyle();

class SectionLabel : public FitLabel {
    Q_OBJECT
public:
    explicit SectionLabel(const QString& title, QWidget* parent = nullptr);
    void setTitle(const QString& title);
};

} // namespace nimbra
