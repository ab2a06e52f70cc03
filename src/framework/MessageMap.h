// Message-map macros: the body of a window object's ProcessWindowMessage,
// written as a table with one line per message or command. Entries are tried
// in order; the first that handles the message ends the search, and its
// handler's return value is the message's result. A message that no entry
// takes is unhandled (previous procedure or default dialog handling). Only
// map 0 exists.
//
// Each entry cracks the message: the handler takes the message's own
// arguments and returns what the message returns, e.g.
//     MSG_WM_TIMER(OnTimer)                   void OnTimer(UINT_PTR id);
//     COMMAND_ID_HANDLER_EX(IDOK, OnOk)       void OnOk(UINT code, int id, HWND control);
//     NOTIFY_HANDLER_EX(id, code, OnNotify)   LRESULT OnNotify(LPNMHDR header);
//     MESSAGE_HANDLER_PARAMS(msg, OnMessage)  LRESULT OnMessage(WPARAM wParam, LPARAM lParam);
// Such a handler's message counts as handled unless it calls
// SetMsgHandled(false); the search then goes on. CurrentMessage() is the
// message as it came, and a window's CallPreviousProc() passes it on.
//
// Inside the map the arguments are named hwnd, msg, wParam, lParam, result
// and mapId; do not give class members these names. BEGIN_MSG_MAP
// leaves the class's access at public. Window callbacks are noexcept: a handler
// that throws ends the program.
#pragma once

#include <windows.h>

#include <type_traits>

#define BEGIN_MSG_MAP(theClass)                                                                   \
public:                                                                                           \
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, \
                              DWORD mapId) override {                                             \
        static_assert(std::is_same<theClass*, decltype(this)>::value,                             \
                      "BEGIN_MSG_MAP must name the class it is in");                              \
        (void)hwnd;                                                                               \
        (void)msg;                                                                                \
        (void)wParam;                                                                             \
        (void)lParam;                                                                             \
        (void)result;                                                                             \
        if (mapId != 0) return false;                                                             \
        const MapMessageScope mapMessageScope(*this, msg, wParam, lParam);

// The typed entries. KESTREL_CRACK runs a handler that returns the result,
// KESTREL_CRACK_VOID one whose message's result is 0.
#define KESTREL_CRACK(condition, call)   \
    if (condition) {                     \
        SetMsgHandled(true);             \
        result = (call);                 \
        if (IsMsgHandled()) return true; \
    }
#define KESTREL_CRACK_VOID(condition, call) \
    if (condition) {                        \
        SetMsgHandled(true);                \
        call;                               \
        result = 0;                         \
        if (IsMsgHandled()) return true;    \
    }
#define KESTREL_POINT(lp) \
    POINT { static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)) }

// Any message, for the program's own and registered ones: the whole message,
// LRESULT func(UINT msg, WPARAM wParam, LPARAM lParam), for a handler that
// passes it on; LRESULT func(WPARAM wParam, LPARAM lParam); or LRESULT func().
#define MESSAGE_HANDLER_EX(message, func) KESTREL_CRACK(msg == (message), func(msg, wParam, lParam))
#define MESSAGE_HANDLER_PARAMS(message, func) KESTREL_CRACK(msg == (message), func(wParam, lParam))
#define MESSAGE_HANDLER_NOPARAMS(message, func) KESTREL_CRACK(msg == (message), func())
// The messages first to last inclusive: LRESULT func(UINT msg, WPARAM wParam, LPARAM lParam).
#define MESSAGE_RANGE_HANDLER_EX(first, last, func) \
    KESTREL_CRACK(msg >= (first) && msg <= (last), func(msg, wParam, lParam))
// Every message, for a handler that decides which it takes.
#define ANY_MESSAGE_HANDLER_EX(func) KESTREL_CRACK(true, func(msg, wParam, lParam))
// BOOL func(HWND focus, LPARAM initParam): TRUE lets the dialog manager set the focus.
#define MSG_WM_INITDIALOG(func) \
    KESTREL_CRACK(msg == WM_INITDIALOG, func(reinterpret_cast<HWND>(wParam), lParam))
// void func()
#define MSG_WM_DESTROY(func) KESTREL_CRACK_VOID(msg == WM_DESTROY, func())
// void func(UINT_PTR id)
#define MSG_WM_TIMER(func) KESTREL_CRACK_VOID(msg == WM_TIMER, func(static_cast<UINT_PTR>(wParam)))
// void func(UINT command, POINT screen)
#define MSG_WM_SYSCOMMAND(func) \
    KESTREL_CRACK_VOID(msg == WM_SYSCOMMAND, func(static_cast<UINT>(wParam), KESTREL_POINT(lParam)))
// void func(HWND window, POINT screen): (-1, -1) when the keyboard asked.
#define MSG_WM_CONTEXTMENU(func)              \
    KESTREL_CRACK_VOID(msg == WM_CONTEXTMENU, \
                       func(reinterpret_cast<HWND>(wParam), KESTREL_POINT(lParam)))
// void func(bool ending, UINT logOffFlags)
#define MSG_WM_ENDSESSION(func) \
    KESTREL_CRACK_VOID(msg == WM_ENDSESSION, func(wParam != FALSE, static_cast<UINT>(lParam)))
// void func(UINT flags, POINT client)
#define MSG_WM_LBUTTONDOWN(func)              \
    KESTREL_CRACK_VOID(msg == WM_LBUTTONDOWN, \
                       func(static_cast<UINT>(wParam), KESTREL_POINT(lParam)))
#define MSG_WM_RBUTTONDOWN(func)              \
    KESTREL_CRACK_VOID(msg == WM_RBUTTONDOWN, \
                       func(static_cast<UINT>(wParam), KESTREL_POINT(lParam)))
// void func(UINT key, UINT repeat, UINT flags); WM_CHAR's key is the character.
#define MSG_WM_KEYDOWN(func)                                                              \
    KESTREL_CRACK_VOID(msg == WM_KEYDOWN, func(static_cast<UINT>(wParam), LOWORD(lParam), \
                                               static_cast<UINT>(HIWORD(lParam))))
#define MSG_WM_CHAR(func)                                                              \
    KESTREL_CRACK_VOID(msg == WM_CHAR, func(static_cast<UINT>(wParam), LOWORD(lParam), \
                                            static_cast<UINT>(HIWORD(lParam))))
// void func(HWND lostFocus)
#define MSG_WM_SETFOCUS(func) \
    KESTREL_CRACK_VOID(msg == WM_SETFOCUS, func(reinterpret_cast<HWND>(wParam)))
// UINT func(const MSG* message): the DLGC_ flags.
#define MSG_WM_GETDLGCODE(func) \
    KESTREL_CRACK(msg == WM_GETDLGCODE, func(reinterpret_cast<const MSG*>(lParam)))
// void func(int code, int position, HWND scrollBar)
#define MSG_WM_VSCROLL(func)                                                                       \
    KESTREL_CRACK_VOID(msg == WM_VSCROLL, func(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                               reinterpret_cast<HWND>(lParam)))
// LRESULT func(int id, LPNMHDR header)
#define MSG_WM_NOTIFY(func)         \
    KESTREL_CRACK(msg == WM_NOTIFY, \
                  func(static_cast<int>(wParam), reinterpret_cast<LPNMHDR>(lParam)))

// WM_COMMAND entries: void func(UINT code, int id, HWND control).
#define KESTREL_COMMAND_CALL(func) \
    func(HIWORD(wParam), static_cast<int>(LOWORD(wParam)), reinterpret_cast<HWND>(lParam))
#define COMMAND_HANDLER_EX(id, code, func)                                             \
    KESTREL_CRACK_VOID(msg == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) && \
                           HIWORD(wParam) == static_cast<WORD>(code),                  \
                       KESTREL_COMMAND_CALL(func))
#define COMMAND_ID_HANDLER_EX(id, func)                                              \
    KESTREL_CRACK_VOID(msg == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id), \
                       KESTREL_COMMAND_CALL(func))
#define COMMAND_RANGE_CODE_HANDLER_EX(first, last, code, func)                            \
    KESTREL_CRACK_VOID(msg == WM_COMMAND && LOWORD(wParam) >= static_cast<WORD>(first) && \
                           LOWORD(wParam) <= static_cast<WORD>(last) &&                   \
                           HIWORD(wParam) == static_cast<WORD>(code),                     \
                       KESTREL_COMMAND_CALL(func))
// WM_NOTIFY from one control id with one code: LRESULT func(LPNMHDR header).
#define NOTIFY_HANDLER_EX(id, cd, func)                                                         \
    KESTREL_CRACK(msg == WM_NOTIFY &&                                                           \
                      reinterpret_cast<LPNMHDR>(lParam)->idFrom == static_cast<UINT_PTR>(id) && \
                      reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(cd),         \
                  func(reinterpret_cast<LPNMHDR>(lParam)))

// Offers the message to a base class's map.
#define CHAIN_MSG_MAP(theChainClass) \
    if (theChainClass::ProcessWindowMessage(hwnd, msg, wParam, lParam, result, mapId)) return true;

#define END_MSG_MAP() \
    return false;     \
    }
