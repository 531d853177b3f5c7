#pragma once

#include <QString>

#include <string>
#include <string_view>

// Arguments travel through Qt's command-line parser as QStrings, but file names on Linux
// are bytes that need not be valid UTF-8. These two turn an argument into a QString and
// back without losing a byte: valid UTF-8 is decoded as such, and each byte of an invalid
// sequence becomes the lone surrogate U+DC80 + byte, which no valid UTF-8 decodes to.

// `bytes` decoded that way.
QString DecodeArgument(std::string_view bytes);

// The bytes DecodeArgument took `text` from: exactly the argument as the process got it.
std::string ArgumentBytes(const QString& text);
