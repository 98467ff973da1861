#pragma once
// The process priority on Linux, where every thread has a nice value of its
// own and a new thread takes its creator's. Main thread.

// Gives every thread of the process the nice value Nice, also threads started
// meanwhile; true when the system accepted it for all of them (raising the
// priority needs the right to, and a refusal leaves that thread as it was).
bool SetProcessNice(int Nice);
