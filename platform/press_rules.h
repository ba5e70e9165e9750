#pragma once
// What a registering window tells the hot-key layer about its presses beyond the keys: a
// button may be taken in one program and pass untouched in another, a program may want
// every key left alone, and a pause lets everything pass but the buttons that end it.
// Pure data and one judgement, so the matcher can apply it to any story.
#include <windows.h>

#include <string>
#include <vector>

namespace platform {

// Whether a press is taken, and whose assignments it uses: 0 the global ones, n the n-th
// program of the rules.
struct PressVerdict {
    bool take = true;
    int program = 0;
    bool awaitsSecond = false;  // the assignments used wait for a possible second press
};

struct ButtonRule {
    UINT vk = 0;
    bool on = false;            // its assignments run; off, the press passes untouched
    bool carriesPause = false;  // one of its assignments pauses and resumes
    bool awaitsSecond = false;  // it has a double press: its release waits for a second
};

struct ProgramRule {
    std::wstring fileName;            // lower-case, as ProgramKey makes it
    bool off = false;                 // every press passes while this program has it
    std::vector<ButtonRule> buttons;  // the buttons with assignments of their own here
};

struct PressRules {
    std::vector<ButtonRule> global;
    std::vector<ProgramRule> programs;  // numbered from 1 in this order
    bool paused = false;
    // A down this soon after the release of a taken press whose assignments await a second
    // press is that second press, and stays with the first press's program whatever is in
    // front by then.
    DWORD doubleTimeMs = 0;

    // Rules that change nothing: every registered key is taken, with the global
    // assignments, exactly as without rules.
    bool Active() const { return paused || !programs.empty(); }
    bool DependOnProgram() const { return !programs.empty(); }

    // The press of `vk` in `program` (lower-case file name; empty where it could not be
    // read, which means the global assignments).
    PressVerdict Judge(UINT vk, const std::wstring& program) const;
};

// A program file name as the rules hold it: lower-case, as the settings compare names
// without regard to case.
std::wstring ProgramKey(const std::wstring& fileName);

}  // namespace platform
