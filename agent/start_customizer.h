#pragma once

namespace kestrel {

// Starts the customizer from the agent's own folder.
void StartCustomizer();

}  // namespace kestrel
