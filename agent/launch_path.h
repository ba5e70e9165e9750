#pragma once
// Starts a program, a shortcut or any file the shell can open.

namespace kestrel {

// Shell-executes `path` with the verb "open"; an empty path does nothing. Failures are
// silent.
void LaunchPath(const wchar_t* path);

}  // namespace kestrel
