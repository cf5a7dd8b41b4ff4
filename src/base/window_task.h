// The one road from another thread to a window's thread: the task is posted
// to the window and runs inside its window procedure, on the thread that owns
// it. Nothing here ever sends or waits, so a caller may hold a lock.
#pragma once

#include <windows.h>

#include <functional>

using WindowTask = std::function<void()>;

// Queues `task` for the thread that owns `window`. False, with the task
// dropped unrun, when the window no longer exists or the post fails. The
// task runs later even when the caller is that thread itself.
bool PostToWindowThread(HWND window, WindowTask task);

// The registered message that carries a task. A window procedure that is to
// accept tasks answers it with RunPostedTask (SkinnableWindow does).
UINT WindowTaskMessage();
void RunPostedTask(LPARAM lParam);
// Frees a received task without running it.
void DiscardPostedTask(LPARAM lParam);

// Frees the tasks still queued for `window` without running them; call on
// the window's own thread before destroying it.
void DiscardPostedTasks(HWND window);
