#include "WidgetGallery.h"

#include "NimbraWidgetBundle.h"
#include "WidgetWindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace nimbra {

WidgetGallery::WidgetGallery(const WeatherWidgetEntry& preview, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Add Widget"));
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(18);
    for (const WidgetDescriptor& descriptor : NimbraWidgetBundle::widgets()) {
        // The preview in the medium size, which every widget comes in.
        const WidgetFamily previewFamily = descriptor.supports(WidgetFamily::systemMedium)
                                               ? WidgetFamily::systemMedium
                                               : descriptor.families[0];
        auto* window = new WidgetWindow(descriptor, previewFamily, content);
        window->setContextMenuPolicy(Qt::NoContextMenu);
        window->setEntry(preview);
        auto* name = new QLabel(descriptor.displayName);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        auto* description = new QLabel(descriptor.description);
        description->setWordWrap(true);
        auto* buttons = new QHBoxLayout;
        for (const WidgetFamily family : descriptor.families) {
            auto* button = new QPushButton(tr("Add %1").arg(widgetFamilyTitle(family)));
            connect(button, &QPushButton::clicked, this, [this, kind = descriptor.kind, family] {
                Q_EMIT chosen(kind, family);
                accept();
            });
            buttons->addWidget(button);
        }
        buttons->addStretch(1);
        column->addWidget(name);
        column->addWidget(description);
        column->addWidget(window);
        column->addLayout(buttons);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(close);
    resize(content->sizeHint().width() + 48, 640);
}

} // namespace nimbra
