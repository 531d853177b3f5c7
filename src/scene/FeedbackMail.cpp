#include "scene/FeedbackMail.h"

#include <string>

#include "platform/Platform.h"

void SendFeedbackMail() {
    // Whether a mail program could be opened is of no consequence to the viewer.
    CurrentPlatform().OpenUri(std::string("mailto:") + FeedbackAddress + FeedbackSubject);
}
