// Arguments as bytes: decoded for Qt's parser and encoded back without losing one, and
// shown in messages as one line of valid UTF-8.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/ArgumentText.h"
#include "model/ShownText.h"

namespace {

// Random bytes, often near UTF-8: lead bytes, continuation bytes, ASCII and controls.
std::string RandomBytes(std::mt19937& random) {
    static const unsigned char pieces[] = {'a',  '/',  '\n', 0x1b, 0x7f, 0x80, 0xbf, 0xc2, 0xc3,
                                           0xe2, 0xed, 0xa0, 0xef, 0xf0, 0x9f, 0xf4, 0xf5, 0xff};
    std::string bytes(random() % 12, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() % 3 == 0 ? random() : pieces[random() % sizeof pieces]);
    }
    return bytes;
}

TEST(ArgumentTextTest, EveryByteStringComesBackExactly) {
    std::mt19937 random(5);
    for (int i = 0; i < 100000; ++i) {
        const std::string bytes = RandomBytes(random);
        ASSERT_EQ(ArgumentBytes(DecodeArgument(bytes)), bytes);
    }
    // Valid UTF-8, beyond U+FFFF too, is decoded as text.
    EXPECT_EQ(DecodeArgument("\xc3\xa9\xf0\x9f\x8c\xb3"), QString::fromUtf8("\u00e9\U0001F333"));
    EXPECT_EQ(ArgumentBytes(DecodeArgument("a\xe9.glb")), "a\xe9.glb");
}

TEST(ArgumentTextTest, AShownValueIsOneLineOfValidUtf8) {
    std::mt19937 random(6);
    for (int i = 0; i < 100000; ++i) {
        const std::string shown = QuotedText(RandomBytes(random));
        for (size_t at = 0; at < shown.size();) {
            const size_t length = Utf8SequenceLength(shown, at);
            ASSERT_GT(length, 0u) << shown;
            const unsigned char c = static_cast<unsigned char>(shown[at]);
            ASSERT_FALSE(c < 0x20 || c == 0x7f) << shown;
            ASSERT_FALSE(c == 0xc2 && static_cast<unsigned char>(shown[at + 1]) < 0xa0) << shown;
            at += length;
        }
    }
    EXPECT_EQ(QuotedText("1\n2"), "'1\\n2'");
    EXPECT_EQ(QuotedText("a\xe9\x1b'\\.glb"), "'a\\xe9\\x1b\\'\\\\.glb'");
    EXPECT_EQ(QuotedText("\xc3\xa9t\xc3\xa9"), "'\xc3\xa9t\xc3\xa9'");
}

} // namespace
