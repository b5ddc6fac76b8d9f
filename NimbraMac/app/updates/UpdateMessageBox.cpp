#include "UpdateMessageBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace nimbra {

UpdateMessageBox::~UpdateMessageBox() {
    delete m_box.data();
}

QMessageBox* UpdateMessageBox::openBox() const {
    return m_box.data();
}

void UpdateMessageBox::present(const UpdateMessage& message, QWidget* parent) {
    delete m_box.data();
    // A popup closes at the first click outside it, which would take a box that belongs to it along.
    if (parent && parent->window()->windowType() == Qt::Popup)
        parent = nullptr;
    auto* box = new QMessageBox(parent);
    m_box = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(QCoreApplication::translate("nimbra::UpdateMessageBox", "Nimbra"));
    box->setText(message.text);
    box->setInformativeText(message.informativeText);
    // Parts of the text come from the feed: never read them as markup. The informative text has a label of
    // its own that setTextFormat() does not reach.
    for (QLabel* label : box->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (message.downloadPage.isEmpty()) {
        box->setStandardButtons(QMessageBox::Ok);
    } else {
        QPushButton* open = box->addButton(openPageButtonText(), QMessageBox::AcceptRole);
        box->addButton(QMessageBox::Close);
        box->setDefaultButton(open);
        const QUrl page = message.downloadPage;
        QObject::connect(open, &QPushButton::clicked, box, [page] { QDesktopServices::openUrl(page); });
    }
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace nimbra
