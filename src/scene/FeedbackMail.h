#pragma once

#include <string>

// Where feedback goes. A reserved domain, so no real mailbox receives test mail.
inline constexpr const char* FeedbackAddress = "feedback@dendrova.example";
inline constexpr const char* FeedbackSubject = "?subject=Feedback_to_Dendrova_(OpenGL_Version)";

// Asks the desktop to open the user's mail program on the feedback address. When no mail
// program can be started, a message box says so and shows the address.
void SendFeedbackMail();

// The text of that message box.
std::string NoMailProgramText();
