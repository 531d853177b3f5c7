#include "platform/Platform.h"

namespace {

class NullPlatform final : public Platform {
public:
    bool LoadBitmap(const std::string&, BitmapPixels&) override { return false; }
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    void OpenUri(const std::string&) override {}
};

NullPlatform nullPlatform;
Platform* current = &nullPlatform;

} // namespace

Platform& CurrentPlatform() {
    return *current;
}

Platform* SetPlatform(Platform* platform) {
    Platform* previous = current == &nullPlatform ? nullptr : current;
    current = platform ? platform : &nullPlatform;
    return previous;
}
