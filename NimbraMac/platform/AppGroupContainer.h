#pragma once

#include <QString>

#include <optional>

namespace nimbra {

// The folder that the application and the widget host share: $XDG_DATA_HOME/<group identifier>/. Both
// programs run as the same user and find it at the same place, whatever their own names are. It never falls
// back to the temporary directory, where state would be lost at the next reboot.
// (The name is the first platform's shared folder of an application and its widgets; here it is a folder
// under $XDG_DATA_HOME named after the group identifier.)
class AppGroupContainer {
public:
    // The per-user container of this build's group identifier.
    AppGroupContainer();
    // A container at an explicit folder (tests use a temporary one).
    explicit AppGroupContainer(QString folder);

    static QString groupIdentifier();

    // Absolute path of the container; empty when the system names no per-user data folder.
    const QString& path() const { return m_path; }
    // `name` below the container; empty when the container has no path.
    QString filePath(const QString& name) const;

    // Creates the container with any missing parent folders. Returns the reason when it cannot.
    std::optional<QString> create() const;

private:
    QString m_path;
};

// Creates `folder` and its missing parents; an existing folder is no error. Returns the reason on failure.
std::optional<QString> createFolder(const QString& folder);

} // namespace nimbra
