#pragma once

#include "UpdaterController.h"

#include <QCoreApplication>
#include <QPointer>

class QMessageBox;

namespace nimbra {

// The update messages as modal information boxes that do not block the event loop: the tray keeps
// refreshing while one is open. A new message replaces one still open, so repeated clicks never stack them.
class UpdateMessageBox final : public UpdatePresenter {
public:
    ~UpdateMessageBox() override;

    void present(const UpdateMessage& message, QWidget* parent) override;

    // The box on screen, if any.
    QMessageBox* openBox() const;

    static QString openPageButtonText() {
        return QCoreApplication::translate("nimbra::UpdateMessageBox", "Open Download Page");
    }

private:
    QPointer<QMessageBox> m_box;
};

} // namespace nimbra
