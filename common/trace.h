#pragma once
// Debug trace, a build option of the shared library: with it off every call does nothing;
// with it on every call writes one time-stamped line to the debugger output.

namespace kestrel {

// `format` follows the wvsprintfW conventions.
void Trace(const wchar_t* format, ...);

}  // namespace kestrel
