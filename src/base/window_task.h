// The one road from another thread to a window's thread: the task is posted
// to the window and runs inside its window procedure, on the thread that owns
// it. Nothing here ever sends or waits, so a caller may hold a lock.
//
// Any process on the desktop can post the same registered message, so the
// message never carries the task itself: the task stays in a table of this
// process under an unguessable key, with the window it was posted to, and the
// message carries only the key. A message whose key is not in the table, or
// that reaches another window than the one named with its task, runs nothing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

using WindowTask = std::function<void()>;

// Queues `task` for the thread that owns `window`. False, with the task
// dropped unrun, when the window no longer exists or the post fails. The
// task runs later even when the caller is that thread itself.
bool PostToWindowThread(HWND window, WindowTask task);

// The registered message that carries a task's key. A window procedure that
// is to accept tasks answers it with RunPostedTask (SkinnableWindow does).
UINT WindowTaskMessage();
// Runs the task that this process posted to `window` under the message's
// key; false (nothing run) for a key it does not know.
bool RunPostedTask(HWND window, WPARAM wParam, LPARAM lParam);
// Frees the task of a received message without running it.
void DiscardPostedTask(HWND window, WPARAM wParam, LPARAM lParam);

// Frees the tasks still queued for `window` without running them; call on
// the window's own thread before destroying it.
void DiscardPostedTasks(HWND window);

// Tasks posted and neither run nor discarded yet (for tests).
std::size_t PendingWindowTasks();
