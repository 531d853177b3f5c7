#pragma once

// Ctrl+C (SIGINT), SIGTERM and SIGHUP during work that ends by itself, such as an export
// from the command line. Instead of ending the process on the spot, with files
// half-written, the signal is only noted; the work asks for it between its steps and
// while it writes, drops what it has not finished and then ends by the same signal, so
// that the shell sees a death by that signal (exit status 130, 143 or 129).

// Call before the work starts. Ctrl+C and SIGTERM always stop the work, also in a
// script's background job, which a shell starts with Ctrl+C ignored; an ignored SIGHUP
// (`nohup`) stays ignored.
void CatchStopSignals();

// True once one of the signals has arrived. Safe to ask from any thread, at any rate.
bool StopRequested();

// Ends the process by the signal that arrived: its default action is restored and it is
// raised again. Returns 128 plus the signal's number only if the process still lives.
int EndByStopSignal();
