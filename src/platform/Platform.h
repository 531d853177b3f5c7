#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture read from the program's built-in resources: rows top-down (the first row is
// the top of the picture as normally viewed), three bytes a pixel in the order B, G, R.
struct BitmapPixels {
    std::vector<uint8_t> bytes;
    int32_t width = 0;
    int32_t height = 0;
};

// What the drawing and scene code need from the desktop. The Qt implementation lives in
// QtPlatform; tests may install their own to observe or replace these services.
class Platform {
public:
    virtual ~Platform() = default;

    // Reads the built-in bitmap `name` (matched without regard to case). False if there
    // is no such picture or it cannot be read.
    virtual bool LoadBitmap(const std::string& name, BitmapPixels& out) = 0;
    // Modal message box with an exclamation icon and one OK button.
    virtual void ShowWarning(const std::string& text) = 0;
    // Modal message box with a stop icon and one OK button.
    virtual void ShowError(const std::string& text) = 0;
    // Asks the desktop to open `uri` (a mailto: link). False when no program could be
    // started for it.
    virtual bool OpenUri(const std::string& uri) = 0;
};

// The platform in use. Returns a do-nothing platform until one is installed.
Platform& CurrentPlatform();
// Installs `platform` (not owned) and returns the previous one; nullptr restores the
// do-nothing platform.
Platform* SetPlatform(Platform* platform);
