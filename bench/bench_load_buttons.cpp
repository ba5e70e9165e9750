// Cost of one settings load with 16 fully populated buttons, hot-key calls recorded
// instead of made.
#include <string>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "common/settings_key.h"
#include "bench/bench_common.h"
#include "support/recording_os.h"
#include "support/registry.h"

using namespace kestrel;

int main() {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    const std::wstring base = kProductKeyPath;
    for (int i = 0; i < 16; ++i) {
        wchar_t name[8];
        wsprintfW(name, L"40%02X", 0xC1 + i);
        const std::wstring path = base + L"\\" + name;
        testing_support::SetString(HKEY_CURRENT_USER, path, L"Name", L"ボタン");
        testing_support::SetDword(HKEY_CURRENT_USER, path, L"Enabled", 1);
        for (int n = 0; n < 3; ++n) {
            const std::wstring suffix = std::to_wstring(n);
            testing_support::SetDword(HKEY_CURRENT_USER, path, (L"Enabled_" + suffix).c_str(), 1);
            testing_support::SetDword(HKEY_CURRENT_USER, path, (L"Mode_" + suffix).c_str(), 0);
            testing_support::SetString(HKEY_CURRENT_USER, path, (L"Cmd_" + suffix).c_str(),
                                       std::wstring(200, L'p') + L".lnk");
        }
    }
    testing_support::SetDword(HKEY_CURRENT_USER, base, L"DoubleTime", 200);
    testing_support::SetDword(HKEY_CURRENT_USER, base, L"HoldTime", 600);

    testing_support::RecordingOs os;
    std::vector<double> samples;
    for (int run = 0; run < 201; ++run) {
        os.calls.clear();
        const double start = bench::NowMicroseconds();
        LoadButtons(reinterpret_cast<HWND>(1));
        samples.push_back((bench::NowMicroseconds() - start) / 1000.0);
    }
    bench::Report("LoadButtons, 16 full buttons", bench::Summarize(samples), "ms", "< 5 ms");

    // The floor under the load: one value read, one open and close. A load of 16 full
    // buttons makes about 200 such registry calls, each a round trip to the registry's owner.
    std::vector<double> reads;
    std::vector<double> opens;
    DWORD value = 0;
    for (int run = 0; run < 201; ++run) {
        double start = bench::NowMicroseconds();
        SettingsKey::OpenKey(kProductKeyPath);
        SettingsKey::CloseKey();
        opens.push_back(bench::NowMicroseconds() - start);
        SettingsKey::OpenKey(kProductKeyPath);
        start = bench::NowMicroseconds();
        SettingsKey::ReadDword(kValueDoubleTime, value);
        reads.push_back(bench::NowMicroseconds() - start);
        SettingsKey::CloseKey();
    }
    bench::Report("One registry value read (floor of a load)", bench::Summarize(reads), "us", "-");
    bench::Report("One key open and close (floor of a load)", bench::Summarize(opens), "us", "-");
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kProductKeyPath);
    return 0;
}
