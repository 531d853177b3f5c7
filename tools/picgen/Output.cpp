#include <QDir>
#include <QFile>

#include "Pictures.h"
#include "model/ShownText.h"

namespace picgen {
namespace {

Result<> Save(const QImage& image, const QString& folder, const QString& name, const char* format) {
    const QString path = QDir(folder).filePath(name);
    if (image.save(path, format))
        return {};
    return CannotWrite("write", path);
}

Result<> MakeFolder(const QString& folder) {
    if (QDir().mkpath(folder))
        return {};
    return CannotWrite("create", folder);
}

Result<> WriteDesktopIcons(const QString& folder) {
    Result<> written = MakeFolder(folder);
    for (int size : kDesktopIconSizes)
        if (written)
            written = Save(MakeIcon(size), folder, QString("dendrova-%1.png").arg(size), "PNG");
    return written ? WriteIconSvg(QDir(folder).filePath("dendrova.svg")) : written;
}

} // namespace

Failure CannotWrite(const char* what, const QString& path) {
    return Failure{std::string("cannot ") + what + " " +
                   QuotedText(QFile::encodeName(path).toStdString())};
}

Result<> WriteAllPictures(const QString& folder) {
    Result<> written = MakeFolder(folder);
    // Format_RGB888 saved as BMP gives 24-bit uncompressed pixels.
    const struct {
        QImage image;
        const char* name;
        const char* format;
    } pictures[] = {
        {MakeBark(), "bark.bmp", "BMP"},
        {MakeLeaf(), "leaf.bmp", "BMP"},
        {MakeSky(), "sky.bmp", "BMP"},
        {MakeGround(), "ground.bmp", "BMP"},
        {MakeButtonPicture(), "button.bmp", "BMP"},
        {MakeHelpPicture(), "HELP.BMP", "BMP"},
        {MakeIcon(32), "icon-32.png", "PNG"},
        {MakeIcon(16), "icon-16.png", "PNG"},
    };
    for (const auto& picture : pictures)
        if (written)
            written = Save(picture.image, folder, picture.name, picture.format);
    return written ? WriteDesktopIcons(QDir(folder).filePath("icons")) : written;
}

} // namespace picgen
