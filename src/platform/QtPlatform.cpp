#include "platform/QtPlatform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QUrl>

#include <new>

#include "platform/PixelOrder.h"

std::string FindPictureResource(const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    QDirIterator it(QStringLiteral(":/pictures"));
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).fileName().compare(wanted, Qt::CaseInsensitive) == 0) {
            return path.toStdString();
        }
    }
    return {};
}

bool QtPlatform::LoadBitmap(const std::string& name, BitmapPixels& out) {
    const std::string path = FindPictureResource(name);
    if (path.empty()) {
        return false;
    }
    QImage image(QString::fromStdString(path));
    if (image.isNull()) {
        return false;
    }
    image = image.convertToFormat(QImage::Format_RGB888);
    const int w = image.width();
    const int h = image.height();
    try {
        out.bytes.resize(static_cast<size_t>(w) * h * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Qt's rows are padded to whole words; the bitmap's are not.
    for (int y = 0; y < h; ++y) {
        SwapRedAndBlue(image.constScanLine(y), out.bytes.data() + static_cast<size_t>(y) * w * 3,
                       static_cast<size_t>(w));
    }
    out.width = w;
    out.height = h;
    return true;
}

void QtPlatform::ShowWarning(const std::string& text) {
    QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                         QString::fromStdString(text));
}

void QtPlatform::ShowError(const std::string& text) {
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(),
                          QString::fromStdString(text));
}

bool QtPlatform::OpenUri(const std::string& uri) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(uri)));
}
