// The generator the hostile tests stand on: a seed must give the same registry every
// time (or a failure could not be replayed), and the seeds the tests use must really
// reach every kind of bad data the tests claim to cover.
#include "support/hostile_settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/settings_schema.h"
#include "hostile/hostile_case.h"
#include "hostile/registry_image.h"

using namespace hostile;

namespace {

class HostileSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { backup_.Save(); }
    void TearDown() override { backup_.Restore(); }

    static KeyImage Settings() { return ImageOf(HKEY_CURRENT_USER, kestrel::kProductKeyPath); }
    static KeyImage Buttons() { return ImageOf(HKEY_LOCAL_MACHINE, kestrel::kPlatformButtonsPath); }

    RegistryBackup backup_;
};

TEST_F(HostileSettingsTest, SameSeedGivesTheSameRegistry) {
    testing_support::HostileSettings(kAgentSeedBase + 7).Fill();
    const KeyImage settings = Settings();
    const KeyImage buttons = Buttons();
    testing_support::HostileSettings(kAgentSeedBase + 8).Fill();
    const KeyImage otherSettings = Settings();
    testing_support::HostileSettings(kAgentSeedBase + 7).Fill();

    EXPECT_EQ(Settings(), settings);
    EXPECT_EQ(Buttons(), buttons);
    EXPECT_NE(otherSettings, settings);
}

// Over the first seeds the tests run: every value type, sizes from 0 to about 2,000
// bytes and right around the 4- and 520-byte limits, subkey names of every length up to
// the registry's, names that tempt a number scanner, up to 40 buttons, and both subtrees
// missing now and then.
TEST_F(HostileSettingsTest, SeedsReachEveryKindOfBadData) {
    std::set<DWORD> types;
    std::set<size_t> sizes;
    std::set<size_t> nameLengths;
    size_t mostButtons = 0;
    int settingsMissing = 0;
    int buttonsMissing = 0;
    int temptingNames = 0;
    int expandable = 0;
    for (uint32_t seed = kAgentSeedBase; seed < kAgentSeedBase + 120; ++seed) {
        testing_support::HostileSettings generator(seed);
        generator.Fill();
        const KeyImage settings = Settings();
        settingsMissing += settings.empty();
        buttonsMissing += Buttons().empty();
        mostButtons = std::max(mostButtons, settings.empty() ? 0 : settings.size() - 1);
        for (const auto& [path, values] : settings) {
            for (const auto& [name, raw] : values) {
                types.insert(raw.type);
                expandable += raw.type == REG_EXPAND_SZ && raw.bytes.size() > 2 &&
                              raw.bytes[0] == '%' && raw.bytes[1] == 0;
                sizes.insert(raw.bytes.size());
            }
        }
        for (const std::wstring& name : generator.buttonNames()) {
            nameLengths.insert(name.size());
            temptingNames += name.size() >= 4 && name.compare(0, 2, L"40") == 0 &&
                             (name[2] == L'-' || name[2] == L'+' || name[2] == L' ');
        }
    }
    for (DWORD type = REG_NONE; type <= REG_QWORD; ++type) {
        EXPECT_TRUE(types.count(type)) << "type " << type;
    }
    for (size_t size : {0u, 1u, 3u, 4u, 5u, 518u, 519u, 520u, 521u, 522u}) {
        EXPECT_TRUE(sizes.count(size)) << size << " bytes";
    }
    EXPECT_GE(*sizes.rbegin(), 1900u);
    for (size_t length = 1; length <= 10; ++length) {
        EXPECT_TRUE(nameLengths.count(length)) << "names of " << length << " characters";
    }
    EXPECT_GE(*nameLengths.rbegin(), 200u);
    EXPECT_GE(mostButtons, 35u);
    EXPECT_GT(settingsMissing, 0);
    EXPECT_GT(buttonsMissing, 0);
    EXPECT_GT(temptingNames, 0);
    EXPECT_GT(expandable, 0);
}

}  // namespace
