#include "customizer/config_app.h"

#include <commctrl.h>

#include "common/settings_schema.h"
#include "customizer/config_sheet.h"
#include "customizer/single_instance.h"
#include "platform/os_calls.h"

namespace kestrel {

bool NotifyAgentOfNewSettings() {
    HWND agent = platform::Os().FindWindowW(kAgentClassName, kAgentWindowTitle);
    if (!agent) {
        return false;
    }
    // A send, not a post: the agent has re-registered its hot keys when this returns. A
    // hung agent must not hang the sheet's OK: after the limit the settings are stored all
    // the same and the agent takes them at its next reload or start.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(agent, MSG_RELOAD, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kReloadTimeoutMs,
                        &result);
    return true;
}

}  // namespace kestrel

BEGIN_MESSAGE_MAP(KestrelConfigApp, CWinApp)
END_MESSAGE_MAP()

KestrelConfigApp::KestrelConfigApp() = default;

KestrelConfigApp::~KestrelConfigApp() = default;

BOOL KestrelConfigApp::InitInstance() {
    // A failure here is ignored: the sheet is shown all the same.
    static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "the record the common controls expect");
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);

    const kestrel::CustomizerInstance instance;
    if (!instance.IsOnlyOne()) {
        kestrel::BringRunningCustomizerToFront(kestrel::kFindSheetMs);
        return FALSE;
    }
    {
        KestrelConfigPropSheet sheet(kestrel::kSheetCaption, nullptr, 0);
        // After OK each page that was shown has written its settings by the time DoModal
        // returns; after Cancel, the close box or Esc none has written anything.
        const INT_PTR result = sheet.DoModal();
        if (result == IDOK) {
            kestrel::NotifyAgentOfNewSettings();
        }
    }
    // No message loop: the program ends here.
    return FALSE;
}
