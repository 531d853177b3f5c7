#include "scene/FeedbackMail.h"

#include "platform/Platform.h"

std::string NoMailProgramText() {
    return std::string("No mail program could be started.\n\nPlease write to ") + FeedbackAddress +
           " with your own mail program.";
}

void SendFeedbackMail() {
    if (!CurrentPlatform().OpenUri(std::string("mailto:") + FeedbackAddress + FeedbackSubject)) {
        CurrentPlatform().ShowWarning(NoMailProgramText());
    }
}
