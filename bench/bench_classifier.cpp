// Cost of the classifier's work for one hot-key or timer message with 16 bindings, the
// button being the last of the table. Platform calls are only counted, so the figures
// are the classifier's own (with the executor's dispatch of a key sequence).
#include <vector>

#include "agent/agent_state.h"
#include "agent/button_table.h"
#include "agent/classifier.h"
#include "bench/bench_common.h"
#include "platform/os_calls.h"

using namespace kestrel;

namespace {

class CountingOs : public platform::OsCalls {
  public:
    unsigned long calls = 0;
    UINT_PTR SetTimer(HWND, UINT_PTR id, UINT) override {
        ++calls;
        return id;
    }
    BOOL KillTimer(HWND, UINT_PTR) override {
        ++calls;
        return TRUE;
    }
    void keybd_event(BYTE, BYTE, DWORD, ULONG_PTR) override { ++calls; }
};

constexpr int kMessagesPerSample = 20000;
constexpr int kSamples = 51;
constexpr LPARAM kKeyUp = 0x1000;
constexpr int kLastButton = 15;

// Nanoseconds per message of `handle`, which handles one message per call.
template <typename Handle>
bench::Summary Measure(Handle handle) {
    std::vector<double> samples;
    for (int run = 0; run < kSamples; ++run) {
        const double start = bench::NowMicroseconds();
        for (int i = 0; i < kMessagesPerSample; ++i) {
            handle();
        }
        samples.push_back((bench::NowMicroseconds() - start) * 1000.0 / kMessagesPerSample);
    }
    return bench::Summarize(samples);
}

}  // namespace

int main() {
    CountingOs os;
    platform::SetOs(&os);
    agentWindow = reinterpret_cast<HWND>(1);
    for (int id = 0; id <= kLastButton; ++id) {
        ButtonBinding binding = MakeBinding(L"40C1");
        binding.vk = 0xC1 + id;
        binding.enabled = 1;
        binding.hotKeyId = id;
        for (int k = 0; k < kSlotCount; ++k) {
            binding.slots[k].enabled = 1;
            SetSlot(binding, k, kActionKeySequence, L"#AC");
        }
        buttonTable.push_back(binding);
    }
    const int32_t ctrlId = kLastButton + 32;

    // Key-down of a timed button (the press starts, the hold timer is set).
    bench::Report("Classifier key-down, 16 bindings", Measure([&] { HandleHotKey(ctrlId, 0); }),
                  "ns", "< 1000 ns");
    // A key-down and its key-up (the double-press timer is set), measured as a pair.
    bench::Report("Classifier key-down + key-up pair, 16 bindings", Measure([&] {
                      HandleHotKey(ctrlId, 0);
                      HandleHotKey(ctrlId, kKeyUp);
                  }),
                  "ns", "< 2000 ns per pair");
    // A timer message resolving a press: flags cleared, the timer stopped and the slot's
    // key sequence (Ctrl+A, six events) dispatched.
    bench::Report("Classifier timer with Ctrl+A action", Measure([&] { HandlePressTimer(); }), "ns",
                  "< 1000 ns");

    platform::SetOs(nullptr);
    return os.calls == 0 ? 1 : 0;
}
