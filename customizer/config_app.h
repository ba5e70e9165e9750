#pragma once
// The customizer program: shows its property sheet once and ends when the sheet closes;
// started while another is open, it brings that one to the front and ends at once.
// After OK, when both pages have written their settings, it tells a running agent to
// reload them.
#include "platform/framework/framework.h"

namespace kestrel {

// The sheet's caption: the product name and the word for settings.
inline constexpr wchar_t kSheetCaption[] = L"Kestrel設定";

// How long the customizer waits for the agent to reload before it ends all the same.
inline constexpr unsigned kReloadTimeoutMs = 5000;

// Asks the agent's window, if one exists, to reload the settings, and waits until it has
// or until kReloadTimeoutMs have passed. True when an agent window was found.
bool NotifyAgentOfNewSettings();

}  // namespace kestrel

class KestrelConfigApp : public CWinApp {
  public:
    KestrelConfigApp();
    ~KestrelConfigApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
