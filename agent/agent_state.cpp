#include "agent/agent_state.h"

#include "common/settings_schema.h"

namespace kestrel {

HINSTANCE agentInstance = nullptr;
HWND agentWindow = nullptr;
DWORD doubleTime = kDefaultDoubleTime;
DWORD holdTime = kDefaultHoldTime;

}  // namespace kestrel
