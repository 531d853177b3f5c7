#pragma once

#include <string>
#include <vector>

#include "platform/QtPlatform.h"

// The real pictures from the compiled-in resources, with message boxes and opened links
// recorded instead of shown, so GUI tests never block on a modal box. Installed for its
// lifetime.
class RecordingPlatform final : public Platform {
public:
    RecordingPlatform() { previous_ = SetPlatform(this); }
    ~RecordingPlatform() override { SetPlatform(previous_); }

    bool LoadBitmap(const std::string& name, BitmapPixels& out) override {
        return real_.LoadBitmap(name, out);
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool OpenUri(const std::string& uri) override {
        uris.push_back(uri);
        return openSucceeds;
    }
    bool openSucceeds = true; // whether a mail program "starts"

    std::vector<std::string> warnings, errors, uris;

private:
    QtPlatform real_;
    Platform* previous_ = nullptr;
};
