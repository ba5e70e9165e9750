// The user's own keys on the Button page: adding one as a new row, removing one, and
// deleting the settings of the removed ones when the page writes its settings. Only these
// rows come and go while the page is open; the platform's buttons stay in every case.
#include <algorithm>
#include <cwchar>
#include <string>

#include "common/resource_ids.h"
#include "common/settings_key.h"
#include "common/settings_schema.h"
#include "customizer/add_key_dialog.h"
#include "customizer/button_page.h"
#include "customizer/button_page_parts.h"
#include "customizer/catalogues.h"

using kestrel::buttonCatalogue;
using namespace kestrel::button_page_parts;
namespace SettingsKey = kestrel::SettingsKey;

namespace {

// The settings subkey of a key the user removed is deleted only while it still carries
// the mark: a subkey of the platform's list, or one another program made, is never lost.
void DeleteUserButtonKey(const std::wstring& keyName) {
    const std::wstring path = std::wstring(kestrel::kProductKeyPath) + L"\\" + keyName;
    DWORD mark = 0;
    if (!SettingsKey::OpenKeyToRead(HKEY_CURRENT_USER, path.c_str())) {
        return;
    }
    const bool marked = SettingsKey::ReadDword(kestrel::kValueUserButton, mark) && mark == 1;
    SettingsKey::CloseKey();
    if (marked) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    }
}

}  // namespace

void KestrelConfigProp1::SelectButton(int row) {
    m_listButton.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_listButton.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

// Only the user's own keys can be removed; the platform's buttons stay in every case.
void KestrelConfigProp1::EnableRemoveKey() {
    const int button = SelectedButton();
    EnableWindow(GetDlgItem(IDC_REMOVE_KEY),
                 IsButton(button) && buttonCatalogue[static_cast<size_t>(button)].userButton);
}

void KestrelConfigProp1::OnAddKey() {
    kestrel::PressedKey key;
    const auto listed = [](uint32_t vk) {
        return kestrel::FindButton(kestrel::UserButtonKeyName(vk)) >= 0;
    };
    if (!kestrel::AskForKey(m_hWnd, listed, key)) {
        return;
    }
    const std::wstring keyName = kestrel::UserButtonKeyName(key.vk);
    if (keyName.empty() || listed(key.vk)) {
        return;
    }
    // A key removed and added again in one sitting is a new key: nothing of its old
    // settings comes back, since the new row is written over them.
    m_removedKeys.erase(std::remove_if(m_removedKeys.begin(), m_removedKeys.end(),
                                       [&](const std::wstring& removed) {
                                           return _wcsicmp(removed.c_str(), keyName.c_str()) == 0;
                                       }),
                        m_removedKeys.end());
    buttonCatalogue.emplace_back(keyName, kestrel::PressedKeyName(key), std::wstring());
    buttonCatalogue.back().userButton = true;
    const int row = static_cast<int>(buttonCatalogue.size()) - 1;
    AddButtonImage(static_cast<size_t>(row));
    m_listButton.InsertItem(row, buttonCatalogue.back().displayName.c_str(), row);
    m_listButton.SetCheck(row, FALSE);
    RefreshSummary(row);
    SelectButton(row);
}

void KestrelConfigProp1::OnRemoveKey() {
    const int button = SelectedButton();
    if (!IsButton(button) || !buttonCatalogue[static_cast<size_t>(button)].userButton) {
        return;
    }
    m_removedKeys.push_back(buttonCatalogue[static_cast<size_t>(button)].keyName);
    // Row i stays element i and image i: the rows below move up with their images.
    m_listButton.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(button), 0);
    buttonCatalogue.erase(buttonCatalogue.begin() + button);
    ImageList_Remove(m_imageList, button);
    for (int row = button; row < m_listButton.GetItemCount(); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = row;
        m_listButton.SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    m_lastStoredButton = -1;
    m_lastShownButton = -1;
    const int rows = m_listButton.GetItemCount();
    if (rows > 0) {
        SelectButton(std::min(button, rows - 1));
    }
    EnableRemoveKey();
}

void KestrelConfigProp1::DeleteRemovedKeys() {
    for (const std::wstring& keyName : m_removedKeys) {
        if (kestrel::FindButton(keyName) < 0) {
            DeleteUserButtonKey(keyName);
        }
    }
    m_removedKeys.clear();
}
