#include "app/OutputFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool SameFolder(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

bool IsFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

std::string ChooseOutputFolder(const QString& working, const QString& configFolder,
                               const QString& pictures, const QString& home) {
    if (!SameFolder(working, configFolder)) {
        return ".";
    }
    if (IsFolder(pictures) && !SameFolder(pictures, configFolder)) {
        return Bytes(QFileInfo(pictures).absoluteFilePath());
    }
    if (IsFolder(home)) {
        return Bytes(QFileInfo(home).absoluteFilePath());
    }
    return ".";
}

QString ConfigurationFolder() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base =
        QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/dendrova");
}

std::string OutputFolderForThisRun() {
    return ChooseOutputFolder(QDir::currentPath(), ConfigurationFolder(),
                              QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                              QDir::homePath());
}
