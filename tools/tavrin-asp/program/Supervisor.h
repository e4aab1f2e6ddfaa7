// Keeps "tavrin-asp serve" up: the server runs in a child process, and the
// parent starts it again when it ends abnormally. A script engine may abort
// the whole process on a page it cannot compile (Wine's VBScript asserts on
// some statements); with the supervisor that page costs its own request,
// not the server.
#pragma once

// The flag that the supervisor adds to the child's command line.
constexpr wchar_t kSupervisedFlag[] = L"--supervised";

// Runs the child with this process's command line plus kSupervisedFlag
// until it ends normally or with a start-up failure (exit code 1 or 2),
// restarting it otherwise; returns the child's last exit code. The child
// ends with this process (a job object kills it when the parent is gone).
int SuperviseServer();
