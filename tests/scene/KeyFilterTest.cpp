#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPlatform.h"
#include "scene/FeedbackMail.h"
#include "scene/KeyFilter.h"

namespace {

// Records what the filter asks of the viewer, with the key code recorded at the time.
struct RecordingHost final : CommandHost {
    void ToggleAutoSpin() override { calls.push_back("spin"); }
    void ToggleHelp() override { calls.push_back("help"); }
    void ShowControlPanel() override { calls.push_back("panel"); }
    void ArrowStep() override { calls.push_back("step " + std::to_string(lastKey)); }
    void StartKeyRepeatTimer() override { calls.push_back("start"); }
    void StopKeyRepeatTimer() override { calls.push_back("stop"); }
    int32_t& LastKey() override { return lastKey; }

    std::vector<std::string> calls;
    int32_t lastKey = 0;
};

KeyMessage Down(int32_t code) {
    return {KeyMessage::Kind::KeyDown, code};
}
KeyMessage Up(int32_t code) {
    return {KeyMessage::Kind::KeyUp, code};
}

using Calls = std::vector<std::string>;

} // namespace

TEST(KeyFilter, LettersActOnEveryPressIncludingAutoRepeat) {
    RecordingHost host;
    EXPECT_TRUE(filterMessage(Down('S'), host));
    EXPECT_TRUE(filterMessage(Down('S'), host));
    EXPECT_TRUE(filterMessage(Down('s'), host));
    EXPECT_EQ(host.calls, (Calls{"spin", "spin", "spin"}));
    EXPECT_EQ(host.lastKey, 0); // S does not record itself

    host.calls.clear();
    EXPECT_TRUE(filterMessage(Down('T'), host));
    EXPECT_TRUE(filterMessage(Down('t'), host));
    EXPECT_EQ(host.calls, (Calls{"panel", "panel"}));
    EXPECT_EQ(host.lastKey, 0);

    // H records its code, but a repeated H still toggles: letters are never swallowed.
    host.calls.clear();
    EXPECT_TRUE(filterMessage(Down('H'), host));
    EXPECT_EQ(host.lastKey, 'H');
    EXPECT_TRUE(filterMessage(Down('H'), host));
    EXPECT_TRUE(filterMessage(Down('h'), host));
    EXPECT_EQ(host.lastKey, 'h');
    EXPECT_EQ(host.calls, (Calls{"help", "help", "help"}));
}

TEST(KeyFilter, HeldArrowStepsOnceStartsTheTimerAndSwallowsItsRepeat) {
    RecordingHost host;
    EXPECT_TRUE(filterMessage(Down(KeyUp), host));
    EXPECT_EQ(host.calls, (Calls{"step 38", "start"}));
    EXPECT_TRUE(filterMessage(Down(KeyUp), host)); // the keyboard's auto-repeat
    EXPECT_TRUE(filterMessage(Down(KeyUp), host));
    EXPECT_EQ(host.calls.size(), 2u);

    // A second arrow while the first is held takes over the repeating step.
    EXPECT_TRUE(filterMessage(Down(KeyLeft), host));
    EXPECT_EQ(host.lastKey, KeyLeft);
    EXPECT_EQ(host.calls, (Calls{"step 38", "start", "step 37", "start"}));

    host.calls.clear();
    EXPECT_TRUE(filterMessage(Up(KeyUp), host));
    EXPECT_EQ(host.lastKey, 0);
    EXPECT_EQ(host.calls, (Calls{"stop"}));
    // The other arrow's next auto-repeat starts the stepping again.
    EXPECT_TRUE(filterMessage(Down(KeyLeft), host));
    EXPECT_EQ(host.calls, (Calls{"stop", "step 37", "start"}));
}

TEST(KeyFilter, OtherKeysPassOnOnlyTheFirstOfARun) {
    RecordingHost host;
    EXPECT_FALSE(filterMessage(Down('Q'), host));
    EXPECT_EQ(host.lastKey, 'Q');
    EXPECT_FALSE(filterMessage(Up('Q'), host));
    EXPECT_EQ(host.lastKey, 'Q'); // stays recorded after release
    EXPECT_TRUE(filterMessage(Down('Q'), host));
    EXPECT_FALSE(filterMessage(Down('W'), host));
    EXPECT_TRUE(host.calls.empty());

    // A key that is neither down nor up and a help request are not passed to the host.
    EXPECT_FALSE(filterMessage({KeyMessage::Kind::Other, 'S'}, host));
    EXPECT_TRUE(filterMessage({KeyMessage::Kind::HelpRequest, 0}, host));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.lastKey, 'W');
}

TEST(KeyFilter, MailOpensTheFeedbackAddressOnEveryPress) {
    TestPlatform platform;
    RecordingHost host;
    EXPECT_TRUE(filterMessage(Down('M'), host));
    EXPECT_TRUE(filterMessage(Down('m'), host));
    const std::string uri =
        "mailto:feedback@dendrova.example?subject=Feedback_to_Dendrova_(OpenGL_Version)";
    EXPECT_EQ(platform.uris, (std::vector<std::string>{uri, uri}));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.lastKey, 0);
}
