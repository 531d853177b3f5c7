#pragma once

// While the user moves or resizes a window with the mouse, the window manager holds the
// keyboard, and the window system reports that as a loss of focus. These tell such a
// hold apart from a real change of the active window. On window systems that do not say
// (anything but X11) no hold is ever seen.

// Starts watching the window system's focus reports (once per process; needs the
// application object).
void WatchKeyboardGrabs();

// True from the moment the window manager took the keyboard from one of this program's
// windows until the focus comes back or moves on.
bool KeyboardGrabbedAway();
