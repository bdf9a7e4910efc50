#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace zelvorin::testing {

// A program started without a shell: `arguments` (the program's path first) with the caller's
// environment minus its ZELVORIN_ variables plus `assignments` ("NAME=value"), so that a test's
// own settings never leak into the child. Its stdout, and its stderr when `quiet`, go to
// /dev/null. Throws std::runtime_error when it cannot be started.
pid_t startProgram(std::vector<std::string> arguments, const std::vector<std::string>& assignments,
                   bool quiet);

// The exit code of a started program once it ends, -1 when a signal ended it.
int waitForExit(pid_t pid);

// Runs `work` in a forked child and waits for it: true when SIGKILL ended the child (a fault point
// that `work` armed fired), false when `work` returned or threw. The child has only the calling
// thread and must not touch the parent's database connections: `work` opens what it uses.
bool killedInChild(const std::function<void()>& work);

}  // namespace zelvorin::testing
