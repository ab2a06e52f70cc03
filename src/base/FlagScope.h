// Holds a flag at a value for the life of a scope and gives it back the value
// it had, on every way out: a guard that a nested call must see set (a pass or
// a flow running), or a notification held back around the program's own
// change.
#pragma once

namespace kestrel {

class FlagScope {
public:
    explicit FlagScope(bool& flag, bool value = true) : held(flag), before(flag) { held = value; }
    ~FlagScope() { held = before; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& held;
    const bool before;
};

}  // namespace kestrel
