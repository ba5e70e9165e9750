#pragma once
// Wine's PropertySheet answers IDOK after OK; desktop Windows answers 0 unless a page
// reported a change, and no page of ours does. This stand-in runs the real sheet and then
// answers as Windows would, so a test sees what a Windows user would get.
#include <windows.h>
#include <prsht.h>

#include "support/recording_os.h"

namespace testing_support {

class WindowsSheetResultOs : public RecordingOs {
  public:
    INT_PTR PropertySheetW(PROPSHEETHEADERW* header) override {
        const INT_PTR result = OsCalls::PropertySheetW(header);
        if (header->dwFlags & PSH_MODELESS) {
            return result;  // the window, as on every system
        }
        ++modalSheets;
        return result < 0 ? result : 0;
    }
    int modalSheets = 0;
};

}  // namespace testing_support
