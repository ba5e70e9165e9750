#include "agent/start_customizer.h"

#include <string>

#include "agent/launch_path.h"
#include "common/exe_directory.h"
#include "common/settings_schema.h"

namespace kestrel {

// Without the agent's own folder the bare file name would be looked for in the current
// folder and on the path, where any program of that name could be waiting: start nothing.
void StartCustomizer() {
    const wchar_t* folder = GetExeDirectory();
    if (folder[0] == L'\0') {
        return;
    }
    const std::wstring path = std::wstring(folder) + kCustomizerFileName;
    LaunchPath(path.c_str());
}

}  // namespace kestrel
