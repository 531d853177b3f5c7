#pragma once

#include <string>
#include <string_view>

// How a message shows a name or value that came from outside (an argument, a file name):
// whatever its bytes, the message stays one readable line and says exactly which bytes
// they were.

// `bytes` with every control character (C0, DEL and C1), every byte that is not part of
// valid UTF-8 and the backslash escaped: \n, \t, \r, \\ and \xNN for the rest. Valid UTF-8
// otherwise comes through as it is.
std::string EscapedText(std::string_view bytes);

// EscapedText in single quotes, with a quote inside shown as \'.
std::string QuotedText(std::string_view bytes);

// The length of the valid UTF-8 sequence that starts at byte `at` of `bytes` (1 to 4), or
// 0 when none does (a stray continuation byte, an overlong form, a surrogate, a sequence
// cut short).
size_t Utf8SequenceLength(std::string_view bytes, size_t at);
