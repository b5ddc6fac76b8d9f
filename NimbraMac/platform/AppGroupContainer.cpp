#include "AppGroupContainer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace nimbra {
namespace {

QString defaultContainerPath() {
    // GenericDataLocation, not AppDataLocation: the latter adds each program's own name, so the application
    // and the widget host would not meet.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return QDir(base).filePath(AppGroupContainer::groupIdentifier());
}

} // namespace

AppGroupContainer::AppGroupContainer() : m_path(defaultContainerPath()) {}

AppGroupContainer::AppGroupContainer(QString folder) : m_path(std::move(folder)) {}

QString AppGroupContainer::groupIdentifier() {
    return QStringLiteral(NIMBRA_GROUP_IDENTIFIER);
}

QString AppGroupContainer::filePath(const QString& name) const {
    return m_path.isEmpty() ? QString() : QDir(m_path).filePath(name);
}

std::optional<QString> AppGroupContainer::create() const {
    if (m_path.isEmpty())
        return QCoreApplication::translate("AppGroupContainer",
                                           "No per-user data folder is available for the shared container.");
    return createFolder(m_path);
}

std::optional<QString> createFolder(const QString& folder) {
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, error);
    if (error)
        return QCoreApplication::translate("AppGroupContainer", "Could not create the folder %1: %2")
            .arg(folder, QString::fromLocal8Bit(error.message()));
    if (!std::filesystem::is_directory(path, error))
        return QCoreApplication::translate(
                   "AppGroupContainer", "Could not create the folder %1: a file of that name is in the way.")
            .arg(folder);
    return std::nullopt;
}

} // namespace nimbra
