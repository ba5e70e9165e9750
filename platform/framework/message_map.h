#pragma once
// Per-class message maps. Each class lists the messages it handles in a static table that
// ends by naming its base class's table; a message is offered to the most derived table
// first and goes to the first entry that matches it. WM_NOTIFY entries match by
// notification code and control id, WM_COMMAND entries by notification code and control
// id, every other entry by the message alone.
//
// In the class:     DECLARE_MESSAGE_MAP()
// In its .cpp file: BEGIN_MESSAGE_MAP(Derived, Base)
//                       ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, &Derived::OnListChanged)
//                       ON_CBN_SELCHANGE(IDC_COMBO, &Derived::OnComboChanged)
//                       ON_WM_DESTROY()
//                   END_MESSAGE_MAP()
// Handlers are given as pointers to members; their types are checked by the compiler.
#include <windows.h>
#include <commctrl.h>

#include "platform/framework/runtime_class.h"

class CCmdTarget;
class CWnd;

namespace framework {

// One message on its way through the maps.
struct MessageArgs {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool handled = true;  // a handler that calls Default() clears it
};

using MessageThunk = void (*)(CCmdTarget* target, MessageArgs& args);

struct MessageMapEntry {
    UINT message;
    UINT code;           // notification code of WM_NOTIFY and WM_COMMAND entries
    UINT id;             // control id of WM_NOTIFY and WM_COMMAND entries
    MessageThunk thunk;  // nullptr ends the table
};

struct MessageMap {
    const MessageMap* (*base)();  // the base class's table; nullptr at the root
    const MessageMapEntry* entries;
};

}  // namespace framework

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

  public:
    CCmdTarget() = default;

    // Offers the message to this object's maps, most derived first. True when a handler
    // took it; `result` then holds what the handler answered.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Called by a handler: the message goes on to the window's default processing as if
    // no handler had taken it.
    void Default();

  protected:
    static const framework::MessageMap* GetThisMessageMap();
    virtual const framework::MessageMap* GetMessageMap() const;
};

namespace framework {

// Calls of the handler kinds; T is the class whose table holds the entry.
template <class T, auto Handler>
void NotifyThunk(CCmdTarget* target, MessageArgs& args) {
    (static_cast<T*>(target)->*Handler)(reinterpret_cast<NMHDR*>(args.lParam), &args.result);
}

template <class T, auto Handler>
void VoidThunk(CCmdTarget* target, MessageArgs&) {
    (static_cast<T*>(target)->*Handler)();
}

template <class T, auto Handler>
void MessageThunkOf(CCmdTarget* target, MessageArgs& args) {
    args.result = (static_cast<T*>(target)->*Handler)(args.wParam, args.lParam);
}

// WM_HSCROLL: code, position, and the sending control (nullptr for a window's own bar).
template <class T, auto Handler>
void ScrollThunk(CCmdTarget* target, MessageArgs& args);

}  // namespace framework

#define DECLARE_MESSAGE_MAP()                                  \
  protected:                                                   \
    static const ::framework::MessageMap* GetThisMessageMap(); \
    const ::framework::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                       \
    const ::framework::MessageMap* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                                  \
    }                                                                \
    const ::framework::MessageMap* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;                 \
        using TheBaseClass = baseClass;                              \
        static const ::framework::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                                   \
    { 0, 0, 0, nullptr }                                                                    \
    }                                                                                       \
    ;                                                                                       \
    static const ::framework::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                            \
    }

// void Handler(NMHDR* header, LRESULT* result); *result starts at 0.
#define ON_NOTIFY(code, id, memberFxn)                          \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), \
     &::framework::NotifyThunk<ThisClass, memberFxn>},

// void Handler(); WM_COMMAND with this notification code from this control.
#define ON_CONTROL(code, id, memberFxn)                                   \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id) & 0xFFFF, \
     &::framework::VoidThunk<ThisClass, memberFxn>},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// LRESULT Handler(WPARAM, LPARAM) for any message.
#define ON_MESSAGE(message, memberFxn) \
    {static_cast<UINT>(message), 0, 0, &::framework::MessageThunkOf<ThisClass, memberFxn>},

// void OnDestroy() of the class whose table holds the entry (or of its nearest base).
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, &::framework::VoidThunk<ThisClass, &ThisClass::OnDestroy>},

// void OnHScroll(UINT code, UINT position, CWnd* control).
#define ON_WM_HSCROLL() \
    {WM_HSCROLL, 0, 0, &::framework::ScrollThunk<ThisClass, &ThisClass::OnHScroll>},
