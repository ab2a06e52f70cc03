// Message-map macros: the body of a window object's ProcessWindowMessage,
// written as a table with one line per message or command. Entries are tried
// in order; the first whose handler leaves `handled` TRUE ends the search and
// its return value is the message's result. A handler declines by setting
// `handled` to FALSE, and the search goes on. A message that no entry takes is
// unhandled (previous procedure or default dialog handling). Only map 0 exists.
//
// Handler signatures:
//     LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
//     LRESULT OnCommand(WORD code, WORD id, HWND control, BOOL& handled);
//     LRESULT OnNotify(int idCtrl, LPNMHDR header, BOOL& handled);
//
// Inside the map the arguments are named hwnd, msg, wParam, lParam, result,
// mapId and handled; do not give class members these names. BEGIN_MSG_MAP
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
        BOOL handled = TRUE;                                                                      \
        (void)hwnd;                                                                               \
        (void)msg;                                                                                \
        (void)wParam;                                                                             \
        (void)lParam;                                                                             \
        (void)result;                                                                             \
        (void)handled;                                                                            \
        if (mapId != 0) return false;

// Any message.
#define MESSAGE_HANDLER(message, func)               \
    if (msg == (message)) {                          \
        handled = TRUE;                              \
        result = func(msg, wParam, lParam, handled); \
        if (handled) return true;                    \
    }

// Any message from first to last inclusive.
#define MESSAGE_RANGE_HANDLER(first, last, func)     \
    if (msg >= (first) && msg <= (last)) {           \
        handled = TRUE;                              \
        result = func(msg, wParam, lParam, handled); \
        if (handled) return true;                    \
    }

// WM_COMMAND from one id with one notification code.
#define COMMAND_HANDLER(id, code, func)                                                         \
    if (msg == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) &&                         \
        HIWORD(wParam) == static_cast<WORD>(code)) {                                            \
        handled = TRUE;                                                                         \
        result = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), handled); \
        if (handled) return true;                                                               \
    }

// WM_COMMAND from one id, any notification code.
#define COMMAND_ID_HANDLER(id, func)                                                            \
    if (msg == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id)) {                         \
        handled = TRUE;                                                                         \
        result = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), handled); \
        if (handled) return true;                                                               \
    }

// WM_COMMAND from the ids first to last inclusive, with one notification code.
#define COMMAND_RANGE_CODE_HANDLER(first, last, code, func)                                       \
    if (msg == WM_COMMAND && LOWORD(wParam) >= static_cast<WORD>(first) &&                        \
        LOWORD(wParam) <= static_cast<WORD>(last) && HIWORD(wParam) == static_cast<WORD>(code)) { \
        handled = TRUE;                                                                           \
        result = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), handled);   \
        if (handled) return true;                                                                 \
    }

// WM_NOTIFY from one control id with one notification code.
#define NOTIFY_HANDLER(id, cd, func)                                                         \
    if (msg == WM_NOTIFY &&                                                                  \
        reinterpret_cast<LPNMHDR>(lParam)->idFrom == static_cast<UINT_PTR>(id) &&            \
        reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(cd)) {                  \
        handled = TRUE;                                                                      \
        result = func(static_cast<int>(wParam), reinterpret_cast<LPNMHDR>(lParam), handled); \
        if (handled) return true;                                                            \
    }

// Offers the message to a base class's map.
#define CHAIN_MSG_MAP(theChainClass) \
    if (theChainClass::ProcessWindowMessage(hwnd, msg, wParam, lParam, result, mapId)) return true;

#define END_MSG_MAP() \
    return false;     \
    }
