#pragma once
// Starts a program, a shortcut or any file the shell can open.

namespace kestrel {

// Shell-executes `path` with the verb "open"; an empty path does nothing. A program that
// cannot be started is reported in a box on a thread of its own, one box at a time.
void LaunchPath(const wchar_t* path);

}  // namespace kestrel
