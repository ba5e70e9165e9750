#pragma once
// A list view of another process, read and changed as its user would: the messages that
// carry a record carry it in a buffer inside that process.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace testing_support {

class RemoteListView {
  public:
    explicit RemoteListView(HWND list) : list_(list) {
        DWORD processId = 0;
        GetWindowThreadProcessId(list, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_) {
            remote_ = static_cast<Remote*>(
                VirtualAllocEx(process_, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteListView() {
        if (remote_) {
            VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        }
        if (process_) {
            CloseHandle(process_);
        }
    }
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int Rows() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    bool Checked(int row) const {
        return (Send(LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(2);
    }
    int SelectedRow() const { return static_cast<int>(Send(LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }

    std::wstring Text(int row, int column = 0) const {
        if (!remote_) {
            return std::wstring();
        }
        LVITEMW request = {};
        request.iSubItem = column;
        request.pszText = remote_->text;
        request.cchTextMax = kChars;
        WriteProcessMemory(process_, &remote_->item, &request, sizeof(request), nullptr);
        Send(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&remote_->item));
        wchar_t text[kChars] = {};
        ReadProcessMemory(process_, remote_->text, text, sizeof(text) - sizeof(wchar_t), nullptr);
        return text;
    }

    // As a tap on the row, or on its check box (state INDEXTOSTATEIMAGEMASK(2), mask
    // LVIS_STATEIMAGEMASK), would change it.
    void SetState(int row, UINT state, UINT mask) const {
        if (!remote_) {
            return;
        }
        LVITEMW request = {};
        request.state = state;
        request.stateMask = mask;
        WriteProcessMemory(process_, &remote_->item, &request, sizeof(request), nullptr);
        Send(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&remote_->item));
    }
    void Select(int row) const {
        SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

  private:
    static constexpr int kChars = 256;
    struct Remote {
        LVITEMW item;
        wchar_t text[kChars];
    };

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(list_, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
        return static_cast<LRESULT>(result);
    }

    HWND list_;
    HANDLE process_ = nullptr;
    Remote* remote_ = nullptr;
};

}  // namespace testing_support
