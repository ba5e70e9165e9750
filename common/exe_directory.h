#pragma once

namespace kestrel {

// The folder of the running program file with its final backslash, read once and cached.
// Empty when the path holds no backslash or cannot be read.
const wchar_t* GetExeDirectory();

}  // namespace kestrel
