#include "customizer/app_assignments.h"

namespace kestrel {

std::vector<AppEntry> appCatalogue;
std::vector<std::wstring> removedApps;

namespace {

AppButton LoadedButton(const AppSettings::ButtonValues& stored) {
    AppButton button;
    button.keyName = stored.keyName;
    button.rule = stored.SwitchedOn() ? ButtonRule::kOwn : ButtonRule::kOff;
    button.hasSlots = true;
    for (int n = 0; n < kSlotCount; ++n) {
        const AppSettings::SlotValues& slot = stored.slots[n];
        button.slots[n].enabled = slot.enabled != 0;
        if (slot.hasPair) {
            TakeStoredPair(button.slots[n], slot.mode, slot.command);
        }
    }
    return button;
}

AppSettings::ButtonValues ValuesToWrite(const AppButton& button) {
    AppSettings::ButtonValues values;
    values.keyName = button.keyName;
    values.hasEnabled = true;
    values.enabled = button.rule == ButtonRule::kOwn ? 1 : 0;
    for (int n = 0; n < kSlotCount; ++n) {
        AppSettings::SlotValues& slot = values.slots[n];
        slot.enabled = button.slots[n].enabled ? 1 : 0;
        int32_t type = 0;
        slot.hasPair = PairToWrite(button.slots[n], type, slot.command);
        slot.mode = static_cast<DWORD>(type);
    }
    return values;
}

void SaveButton(const AppEntry& app, const AppButton& button) {
    if (!button.changed || FindButton(button.keyName) < 0) {
        return;
    }
    if (button.rule == ButtonRule::kFollowAll) {
        AppSettings::DeleteAppButton(app.fileName, button.keyName);
    } else {
        AppSettings::WriteAppButton(app.fileName, ValuesToWrite(button));
    }
}

void SaveApp(const AppEntry& app) {
    if (app.added) {
        AppSettings::WriteAppName(app.fileName, app.name.empty() ? app.fileName : app.name);
    }
    if (app.offChanged || (app.added && app.off)) {
        AppSettings::WriteAppOff(app.fileName, app.off);
    }
    for (const AppButton& button : app.buttons) {
        SaveButton(app, button);
    }
}

}  // namespace

AppButton& AppEntry::Button(const std::wstring& keyName) {
    for (AppButton& button : buttons) {
        if (AppSettings::SameName(button.keyName, keyName)) {
            return button;
        }
    }
    buttons.emplace_back();
    buttons.back().keyName = keyName;
    return buttons.back();
}

const AppButton* AppEntry::FindButton(const std::wstring& keyName) const {
    for (const AppButton& button : buttons) {
        if (AppSettings::SameName(button.keyName, keyName)) {
            return &button;
        }
    }
    return nullptr;
}

std::wstring AppEntry::Label() const {
    if (name.empty() || AppSettings::SameName(name, fileName)) {
        return fileName;
    }
    return name + L" (" + fileName + L")";
}

void LoadAppCatalogue() {
    appCatalogue.clear();
    removedApps.clear();
    for (const AppSettings::AppValues& stored : AppSettings::ReadAllApps()) {
        AppEntry app;
        app.fileName = stored.fileName;
        app.name = stored.name;
        app.off = stored.off;
        for (const AppSettings::ButtonValues& button : stored.buttons) {
            app.buttons.push_back(LoadedButton(button));
        }
        appCatalogue.push_back(std::move(app));
    }
}

void SaveAppCatalogue() {
    // Removed first: a program removed and added again in one sitting starts afresh.
    for (const std::wstring& fileName : removedApps) {
        AppSettings::DeleteApp(fileName);
    }
    removedApps.clear();
    for (const AppEntry& app : appCatalogue) {
        SaveApp(app);
    }
}

int FindAppEntry(const std::wstring& fileName) {
    for (size_t i = 0; i < appCatalogue.size(); ++i) {
        if (AppSettings::SameName(appCatalogue[i].fileName, fileName)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int AddAppEntry(const std::wstring& fileName, const std::wstring& name, const std::wstring& path) {
    if (!AppSettings::IsUsableAppName(fileName)) {
        return -1;
    }
    const int found = FindAppEntry(fileName);
    if (found >= 0) {
        return found;
    }
    AppEntry app;
    app.fileName = fileName;
    app.name = name;
    app.path = path;
    app.added = true;
    appCatalogue.push_back(std::move(app));
    return static_cast<int>(appCatalogue.size()) - 1;
}

void RemoveAppEntry(int index) {
    if (index < 0 || index >= static_cast<int>(appCatalogue.size())) {
        return;
    }
    removedApps.push_back(appCatalogue[static_cast<size_t>(index)].fileName);
    appCatalogue.erase(appCatalogue.begin() + index);
}

void SetButtonRule(AppEntry& app, const ButtonInfo& button, ButtonRule rule) {
    AppButton& entry = app.Button(button.keyName);
    if (entry.rule == rule) {
        return;
    }
    // A button that never had slots of its own in the program starts from the global ones.
    if (rule == ButtonRule::kOwn && !entry.hasSlots) {
        for (int n = 0; n < kSlotCount; ++n) {
            entry.slots[n] = CopiedSlot(button.slots[n]);
        }
        entry.hasSlots = true;
    }
    entry.rule = rule;
    entry.changed = true;
}

bool SwitchedOnIn(const AppEntry& app, const ButtonInfo& button) {
    const AppButton* entry = app.FindButton(button.keyName);
    if (!entry || entry->rule == ButtonRule::kFollowAll) {
        return button.enabled;
    }
    return entry->rule == ButtonRule::kOwn;
}

size_t SwitchedOnButtons(const std::vector<std::wstring>& globallyOn,
                         const std::wstring& extraKeyName) {
    std::vector<std::wstring> names = globallyOn;
    if (!extraKeyName.empty()) {
        names.push_back(extraKeyName);
    }
    // Only buttons the page lists count: one the user cannot see could not be switched off.
    std::vector<AppSettings::AppValues> apps(1);
    for (const AppEntry& app : appCatalogue) {
        for (const AppButton& button : app.buttons) {
            if (button.rule == ButtonRule::kOwn && FindButton(button.keyName) >= 0) {
                AppSettings::ButtonValues on;
                on.keyName = button.keyName;
                on.hasEnabled = true;
                on.enabled = 1;
                apps[0].buttons.push_back(on);
            }
        }
    }
    return AppSettings::CountSwitchedOnButtons(names, apps);
}

}  // namespace kestrel
