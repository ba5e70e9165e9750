#include "agent/start_customizer.h"

#include <string>

#include "agent/launch_path.h"
#include "common/exe_directory.h"
#include "common/settings_schema.h"

namespace kestrel {

void StartCustomizer() {
    const std::wstring path = std::wstring(GetExeDirectory()) + kCustomizerFileName;
    LaunchPath(path.c_str());
}

}  // namespace kestrel
