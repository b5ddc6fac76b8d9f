#pragma once

#include "MacLocationRow.h"

#include <QAbstractButton>

namespace nimbra {

// Draws one MacLocationRow; the whole row takes clicks. Place names are drawn as plain text.
// (The "Mac" of the name is kept from the application's first platform; here it is a Qt button.)
class MacLocationRowView : public QAbstractButton {
    Q_OBJECT
public:
    explicit MacLocationRowView(QWidget* parent = nullptr);
    void setRow(const MacLocationRow& row);
    const MacLocationRow& row() const { return m_row; }
    // A line does not fit its width (titles and subtitles have one line, the detail two).
    bool isTruncated() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MacLocationRow m_row;
};

} // namespace nimbra
