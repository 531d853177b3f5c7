#pragma once

#include "platform/Platform.h"

// The desktop services on Qt: pictures from the compiled-in resources, QMessageBox,
// QDesktopServices.
class QtPlatform final : public Platform {
public:
    bool LoadBitmap(const std::string& name, BitmapPixels& out) override;
    void ShowWarning(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool OpenUri(const std::string& uri) override;
};

// Resource path of the built-in picture `name`, matched without regard to case; empty if
// there is none.
std::string FindPictureResource(const std::string& name);
