#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

// A platform whose pictures are made up by the test and whose message boxes and opened
// links are recorded instead of shown. Installed for its lifetime.
class TestPlatform final : public Platform {
public:
    TestPlatform() { previous_ = SetPlatform(this); }
    ~TestPlatform() override { SetPlatform(previous_); }

    // A picture of the given size filled with one B, G, R colour.
    void AddBitmap(const std::string& name, int width, int height, uint8_t b = 0, uint8_t g = 0,
                   uint8_t r = 0) {
        BitmapPixels px;
        px.width = width;
        px.height = height;
        px.bytes.resize(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0; i < px.bytes.size(); i += 3) {
            px.bytes[i] = b;
            px.bytes[i + 1] = g;
            px.bytes[i + 2] = r;
        }
        bitmaps[name] = px;
    }

    bool LoadBitmap(const std::string& name, BitmapPixels& out) override {
        loads.push_back(name);
        auto it = bitmaps.find(name);
        if (it == bitmaps.end()) {
            return false;
        }
        out = it->second;
        return true;
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool OpenUri(const std::string& uri) override {
        uris.push_back(uri);
        return openSucceeds;
    }
    bool openSucceeds = true; // whether a mail program "starts"

    std::map<std::string, BitmapPixels> bitmaps;
    std::vector<std::string> loads, warnings, errors, uris;

private:
    Platform* previous_ = nullptr;
};
