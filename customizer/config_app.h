#pragma once
// The customizer program: shows its property sheet once and ends when the sheet closes.
// After OK, when both pages have written their settings, it tells a running agent to
// reload them.
#include "platform/framework/framework.h"

namespace kestrel {

// The sheet's caption: the product name and the word for settings.
inline constexpr wchar_t kSheetCaption[] = L"Kestrel設定";

// Asks the agent's window, if one exists, to reload the settings, and waits until it has.
// True when an agent window was found.
bool NotifyAgentOfNewSettings();

}  // namespace kestrel

class KestrelConfigApp : public CWinApp {
  public:
    KestrelConfigApp();
    ~KestrelConfigApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
