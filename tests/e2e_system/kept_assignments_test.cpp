// Assignments the customizer cannot offer, which the agent runs all the same: a program
// outside the Start menu, a shortcut whose Start-menu entry is gone, the Shift and Ctrl
// latches, a type of a later version. The real customizer, closed with Cancel or with OK,
// leaves each of them byte for byte as stored unless the user assigns its slot.
#include "e2e_system/system_fixture.h"

namespace e2e {
namespace {

struct StoredSlot {
    const wchar_t* keyName;
    int n;
};

// Every slot of both buttons; the first is the one selected when the sheet opens.
constexpr StoredSlot kSlots[] = {{kFirstButton, 0},  {kFirstButton, 1},  {kFirstButton, 2},
                                 {kSecondButton, 0}, {kSecondButton, 1}, {kSecondButton, 2}};

class KeptAssignmentsTest : public SystemFixture {
  protected:
    void SetUp() override {
        SystemFixture::SetUp();
        agent_ = std::make_unique<StandInAgent>(kFirstButton);
        Store(kSlots[0], 9, L"from a later version");
        Store(kSlots[1], kestrel::kActionProgram, L"C:\\windows\\notepad.exe");
        Store(kSlots[2], kestrel::kActionProgram,
              StartMenuFolder() + L"\\Programs\\Gone\\Old Mail.lnk");
        Store(kSlots[3], kestrel::kActionLatch, L"S");
        Store(kSlots[4], kestrel::kActionLatch, L"C");
        // Written by another program: a bare two-byte string without its terminator.
        testing_support::SetValue(HKEY_CURRENT_USER, ButtonKeyPath(kSecondButton), L"Cmd_2", REG_SZ,
                                  L"C", 2);
        testing_support::SetDword(HKEY_CURRENT_USER, ButtonKeyPath(kSecondButton), L"Mode_2",
                                  kestrel::kActionLatch);
        for (const StoredSlot& slot : kSlots) {
            before_.push_back(Raw(slot, kestrel::kValueSlotModeFormat));
            before_.push_back(Raw(slot, kestrel::kValueSlotCmdFormat));
        }
    }

    static void Store(const StoredSlot& slot, DWORD mode, const std::wstring& command) {
        testing_support::SeedSlot(slot.keyName, {slot.n, mode, command});
    }
    static testing_support::RawValue Raw(const StoredSlot& slot, const wchar_t* format) {
        return testing_support::ReadRaw(HKEY_CURRENT_USER, ButtonKeyPath(slot.keyName),
                                        testing_support::SlotValueName(format, slot.n).c_str());
    }
    bool AsStored(size_t slot) const {
        const testing_support::RawValue mode = Raw(kSlots[slot], kestrel::kValueSlotModeFormat);
        const testing_support::RawValue cmd = Raw(kSlots[slot], kestrel::kValueSlotCmdFormat);
        const testing_support::RawValue& modeBefore = before_[2 * slot];
        const testing_support::RawValue& cmdBefore = before_[2 * slot + 1];
        return mode.found && mode.type == modeBefore.type && mode.bytes == modeBefore.bytes &&
               cmd.found && cmd.type == cmdBefore.type && cmd.bytes == cmdBefore.bytes;
    }

    std::unique_ptr<StandInAgent> agent_;
    std::vector<testing_support::RawValue> before_;
};

TEST_F(KeptAssignmentsTest, CancelAndOkWithoutChangesLeaveEveryOneAsStored) {
    for (int button : {PSBTN_CANCEL, PSBTN_OK}) {
        SCOPED_TRACE(button == PSBTN_OK ? "OK" : "Cancel");
        auto customizer = StartCustomizer();
        Sheet sheet = Sheet::Find(customizer->Id());
        ASSERT_TRUE(sheet.Exists());
        CloseWith(*customizer, sheet, button);
        for (size_t slot = 0; slot < std::size(kSlots); ++slot) {
            EXPECT_TRUE(AsStored(slot)) << "slot " << slot;
        }
    }
    EXPECT_EQ(agent_->Reloads().size(), 1u);
}

TEST_F(KeptAssignmentsTest, AssigningOneOfThemReplacesOnlyThatOne) {
    auto customizer = StartCustomizer();
    Sheet sheet = Sheet::Find(customizer->Id());
    ASSERT_TRUE(sheet.Exists());
    ASSERT_TRUE(PickProgram(sheet.CurrentPage(), L"［Ctrl+C］"));
    CloseWith(*customizer, sheet, PSBTN_OK);

    ASSERT_EQ(agent_->Reloads().size(), 1u);
    const testing_support::RawValue cmd = Raw(kSlots[0], kestrel::kValueSlotCmdFormat);
    EXPECT_EQ(cmd.bytes.size(), kestrel::kStringBytes);
    EXPECT_EQ(
        testing_support::ReadStringValue(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton), L"Cmd_0"),
        L"#CC");
    DWORD mode = 0;
    EXPECT_TRUE(testing_support::ReadDwordValue(HKEY_CURRENT_USER, ButtonKeyPath(kFirstButton),
                                                L"Mode_0", mode));
    EXPECT_EQ(mode, static_cast<DWORD>(kestrel::kActionKeySequence));
    for (size_t slot = 1; slot < std::size(kSlots); ++slot) {
        EXPECT_TRUE(AsStored(slot)) << "slot " << slot;
    }
}

}  // namespace
}  // namespace e2e
