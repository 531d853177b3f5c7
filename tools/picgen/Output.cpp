#include <QDir>

#include "Pictures.h"

namespace picgen {
namespace {

bool Save(const QImage& image, const QString& folder, const QString& name, const char* format,
          QString* error) {
    const QString path = QDir(folder).filePath(name);
    if (image.save(path, format))
        return true;
    if (error)
        *error = "cannot write " + path;
    return false;
}

bool WriteDesktopIcons(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = "cannot create " + folder;
        return false;
    }
    for (int size : kDesktopIconSizes)
        if (!Save(MakeIcon(size), folder, QString("dendrova-%1.png").arg(size), "PNG", error))
            return false;
    return WriteIconSvg(QDir(folder).filePath("dendrova.svg"), error);
}

} // namespace

bool WriteAllPictures(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = "cannot create " + folder;
        return false;
    }
    // Format_RGB888 saved as BMP gives 24-bit uncompressed pixels.
    return Save(MakeBark(), folder, "bark.bmp", "BMP", error) &&
           Save(MakeLeaf(), folder, "leaf.bmp", "BMP", error) &&
           Save(MakeSky(), folder, "sky.bmp", "BMP", error) &&
           Save(MakeGround(), folder, "ground.bmp", "BMP", error) &&
           Save(MakeButtonPicture(), folder, "button.bmp", "BMP", error) &&
           Save(MakeHelpPicture(), folder, "HELP.BMP", "BMP", error) &&
           Save(MakeIcon(32), folder, "icon-32.png", "PNG", error) &&
           Save(MakeIcon(16), folder, "icon-16.png", "PNG", error) &&
           WriteDesktopIcons(QDir(folder).filePath("icons"), error);
}

} // namespace picgen
