// The per-program settings reader against hostile subtrees beside hostile buttons: it
// never crashes, stays within its bounds, creates or changes nothing, and the agent's
// global button table is the same with the subtree as without it.
#include "common/app_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "common/settings_schema.h"
#include "hostile/hostile_case.h"
#include "hostile/registry_image.h"
#include "hostile/silent_os.h"
#include "support/hostile_settings.h"

using namespace kestrel;
using namespace hostile;
using kestrel::AppSettings::AppValues;

namespace {

constexpr int kCases = 60;
constexpr uint32_t kAppSeedBase = 700000;

struct LoadedButton {
    std::wstring keyName;
    uint32_t vk;
    int enabled;
    std::vector<std::wstring> slots;
    bool operator==(const LoadedButton& other) const {
        return keyName == other.keyName && vk == other.vk && enabled == other.enabled &&
               slots == other.slots;
    }
};

std::vector<LoadedButton> LoadTable() {
    LoadButtons(reinterpret_cast<HWND>(0x4242));
    std::vector<LoadedButton> loaded;
    for (const ButtonBinding& binding : buttonTable) {
        LoadedButton button{binding.keyName, binding.vk, binding.enabled, {}};
        for (const ActionSlot& slot : binding.slots) {
            button.slots.push_back(std::to_wstring(slot.enabled) + L"|" +
                                   std::to_wstring(slot.type) + L"|" + slot.command);
        }
        loaded.push_back(button);
    }
    return loaded;
}

class AppSettingsUnderFireTest : public ::testing::Test {
  protected:
    void SetUp() override { backup_.Save(); }
    void TearDown() override {
        buttonTable.clear();
        backup_.Restore();
    }

    SilentOs os_;
    RegistryBackup backup_;
};

TEST_F(AppSettingsUnderFireTest, ReadsWithinBoundsAndLeavesTheGlobalButtonsAlone) {
    int floods = 0;
    size_t programsRead = 0;
    for (int c = 0; c < kCases; ++c) {
        const uint32_t seed = kAppSeedBase + static_cast<uint32_t>(c);
        SCOPED_TRACE("per-program case seed " + std::to_string(seed));
        testing_support::HostileSettings settings(seed);
        settings.Fill();
        settings.FillApps();
        const KeyImage before = ImageOf(HKEY_CURRENT_USER, kProductKeyPath);

        const std::vector<AppValues> apps = AppSettings::ReadAllApps();
        ASSERT_LE(apps.size(), static_cast<size_t>(kMaxApps));
        floods += apps.size() >= 500;
        programsRead += apps.size();
        std::vector<std::wstring> names;
        for (const AppValues& app : apps) {
            ASSERT_TRUE(AppSettings::IsUsableAppName(app.fileName));
            ASSERT_EQ(AppSettings::FindApp(apps, app.fileName)->fileName.size(),
                      app.fileName.size());
            ASSERT_LE(app.buttons.size(), static_cast<size_t>(kMaxAppButtons));
            for (const AppSettings::ButtonValues& button : app.buttons) {
                ASSERT_LE(button.keyName.size(), AppSettings::kMaxButtonKeyNameChars);
                ASSERT_LE(button.slots[0].command.size(), static_cast<size_t>(kStringChars - 1));
                names.push_back(button.keyName);
            }
        }
        ASSERT_LE(AppSettings::CountSwitchedOnButtons(names, apps), names.size());

        const std::vector<LoadedButton> withApps = LoadTable();
        ASSERT_EQ(ImageOf(HKEY_CURRENT_USER, kProductKeyPath), before);
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppsKeyPath);
        ASSERT_EQ(LoadTable(), withApps);
    }
    EXPECT_GT(floods, 0);
    std::printf("[ hostile  ] %d per-program cases, %zu programs read\n", kCases, programsRead);
}

}  // namespace
