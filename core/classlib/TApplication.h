// What the library needs of an application object: dispatching the messages that wait in
// the calling thread's queue.
#pragma once

namespace classlib {

// Removes and dispatches every message waiting in the calling thread's queue, for all of its
// windows, and returns without waiting. A WM_QUIT is taken out of the queue and dropped.
void ProcessMessages() noexcept;

}  // namespace classlib
