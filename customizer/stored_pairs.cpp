// Pairs as stored in the settings, taken into a slot and written back from it: what the
// catalogues cannot offer is kept as it was, so opening and closing the page loses nothing.
#include "customizer/catalogues.h"

namespace kestrel {

void TakeStoredPair(SlotAssignment& slot, uint32_t type, const std::wstring& command) {
    bool matched = false;
    for (const CommandEntry& entry : commandCatalogue) {
        if (static_cast<uint32_t>(entry.type) == type && entry.command == command) {
            slot.assignment = entry.displayName;
            matched = true;
        }
    }
    // The agent runs what the catalogue cannot offer; merely opening and closing the page
    // must not destroy it. A while-held pair stays as stored wherever it is, also in a slot
    // it does not fit.
    if (!matched || type == kActionWhileHeld) {
        slot.keepsStored = true;
        slot.keptText = KeptPairText(type, command);
        slot.pairType = static_cast<int32_t>(type);
        slot.pairCommand = command;
    }
}

bool PairToWrite(const SlotAssignment& slot, int32_t& type, std::wstring& command) {
    if (slot.writesPair) {
        type = slot.pairType;
        command = slot.pairCommand;
        return true;
    }
    if (slot.keepsStored) {
        return false;
    }
    // Among entries sharing the display name, the last in catalogue order decides.
    const CommandEntry* chosen = nullptr;
    for (const CommandEntry& entry : commandCatalogue) {
        if (entry.displayName == slot.assignment) {
            chosen = &entry;
        }
    }
    if (!chosen) {
        return false;
    }
    type = chosen->type;
    command = chosen->command;
    return true;
}

SlotAssignment CopiedSlot(const SlotAssignment& slot) {
    SlotAssignment copy = slot;
    if (copy.keepsStored) {
        copy.keepsStored = false;
        copy.writesPair = true;
    }
    return copy;
}

}  // namespace kestrel
