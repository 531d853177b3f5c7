#include "platform/Platform.h"

namespace {

class NullPlatform final : public Platform {
public:
    bool LoadBitmap(const std::string&, BitmapPixels&) override { return false; }
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool OpenUri(const std::string&) override { return false; }
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
