#pragma once
// One customizer at a time in a user's session: a second one would show the settings as
// they were when it started, and the OK of either would write over what the other stored.
// A second start brings the open sheet (or the dialog open over it) to the front instead.
#include <windows.h>

namespace kestrel {

// Named in the session's own namespace, so the users of one machine never meet.
inline constexpr wchar_t kCustomizerMutexName[] = L"Local\\VelmoraLab.Kestrel.Customizer";

// How long a second start looks for the sheet of a first that is still starting.
inline constexpr DWORD kFindSheetMs = 5000;

// Held from construction to destruction by the customizer that shows the sheet. The
// system drops it with the process, so a customizer that crashed never blocks the next.
class CustomizerInstance {
  public:
    CustomizerInstance();
    ~CustomizerInstance();
    CustomizerInstance(const CustomizerInstance&) = delete;
    CustomizerInstance& operator=(const CustomizerInstance&) = delete;

    // False when another customizer of this session is running.
    bool IsOnlyOne() const { return onlyOne_; }

  private:
    HANDLE mutex_ = nullptr;
    bool onlyOne_ = true;
};

// Brings the running customizer's sheet, or the dialog it has open, to the front, waiting
// up to `ms` for a sheet that is not shown yet. False when none was found.
bool BringRunningCustomizerToFront(DWORD ms);

}  // namespace kestrel
