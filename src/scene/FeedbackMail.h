#pragma once

// Where feedback goes. A reserved domain, so no real mailbox receives test mail.
inline constexpr const char* FeedbackAddress = "feedback@dendrova.example";
inline constexpr const char* FeedbackSubject = "?subject=Feedback_to_Dendrova_(OpenGL_Version)";

// Asks the desktop to open the user's mail program on the feedback address. Nothing is
// reported when no mail program can be opened.
void SendFeedbackMail();
