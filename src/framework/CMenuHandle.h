// Owns a menu made with CreateMenu or CreatePopupMenu (or loaded) and
// destroys it with DestroyMenu when it goes or is replaced. Move only. Not for
// menus the system owns (GetSystemMenu) or that a window destroys itself.
#pragma once

#include <windows.h>

namespace kestrel {

class CMenuHandle {
public:
    CMenuHandle() = default;
    explicit CMenuHandle(HMENU owned) : menu(owned) {}
    ~CMenuHandle() { Reset(); }

    CMenuHandle(CMenuHandle&& other) noexcept : menu(other.Release()) {}
    CMenuHandle& operator=(CMenuHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CMenuHandle(const CMenuHandle&) = delete;
    CMenuHandle& operator=(const CMenuHandle&) = delete;

    HMENU Get() const { return menu; }
    bool IsValid() const { return menu != nullptr; }
    // Destroys the menu held, then holds this one.
    void Reset(HMENU other = nullptr) {
        const HMENU old = menu;
        menu = other;
        if (old) ::DestroyMenu(old);
    }
    // Gives the menu up without destroying it.
    HMENU Release() {
        const HMENU released = menu;
        menu = nullptr;
        return released;
    }

private:
    HMENU menu = nullptr;
};

}  // namespace kestrel
