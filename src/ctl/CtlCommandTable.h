// The tool's commands, one row each, in the order --help lists them. Adding a
// command is one row here and one handler: the CtlSession member the row
// names, which runs the command and gives its exit code. The rows are a macro
// list because the command line, which is portable, reads them without their
// handlers, which need the service link: each side expands what it needs of
// the same rows. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <iterator>

namespace kestrel::ctl {

// What follows a command's name, before any key=value.
enum class CtlOperands {
    None,
    Port,         // the port's name
    PortDefault,  // the port's name, then the word default
    Set,          // the word set
};

// Options a command takes beside --pipe and, when it may ask, --yes.
enum class CtlOptions {
    None,
    Formats,    // --json or --csv
    Threshold,  // --critical-not-connected N
};

// The keys a command takes, apart by blanks; a command with keys needs one at least.
inline constexpr wchar_t kNoKeys[] = L"";
inline constexpr wchar_t kDmsKeys[] = L"host port retry ssl active";
inline constexpr wchar_t kLogKeys[] = L"folder level";

// What a command does around its handler, as flags of its row.
inline constexpr unsigned kNoFlags = 0;
// It may ask a question, which --yes answers.
inline constexpr unsigned kMayAsk = 1u << 0;
// The session connects before the handler runs, and says why it could not
// (exit code 3); without it the handler makes contact and reports a failure
// itself.
inline constexpr unsigned kConnectsFirst = 1u << 1;

// ROW(handler, name, operands, keys, options, flags, note): note follows the
// command's line in --help, which the other columns make, or is null.
#define KESTREL_CTL_COMMANDS(ROW)                                                                  \
    ROW(Status, L"status", CtlOperands::None, kNoKeys, CtlOptions::None, kNoFlags, nullptr)        \
    ROW(Ports, L"ports", CtlOperands::None, kNoKeys, CtlOptions::Formats, kConnectsFirst, nullptr) \
    ROW(Get, L"get", CtlOperands::Port, kNoKeys, CtlOptions::None, kConnectsFirst, nullptr)        \
    ROW(Set, L"set", CtlOperands::Port, kDmsKeys, CtlOptions::None, kMayAsk | kConnectsFirst,      \
        L"keys: host, port, retry (seconds), ssl, active")                                         \
    ROW(FollowDefaults, L"set", CtlOperands::PortDefault, kNoKeys, CtlOptions::None,               \
        kMayAsk | kConnectsFirst, L"the port follows the defaults")                                \
    ROW(Defaults, L"defaults", CtlOperands::None, kNoKeys, CtlOptions::None, kConnectsFirst,       \
        nullptr)                                                                                   \
    ROW(ChangeDefaults, L"defaults", CtlOperands::Set, kDmsKeys, CtlOptions::None,                 \
        kMayAsk | kConnectsFirst, L"keys as for set PORT")                                         \
    ROW(Log, L"log", CtlOperands::None, kNoKeys, CtlOptions::None, kConnectsFirst, nullptr)        \
    ROW(SetLog, L"log", CtlOperands::Set, kLogKeys, CtlOptions::None, kConnectsFirst,              \
        L"keys: folder, level")                                                                    \
    ROW(Check, L"check", CtlOperands::None, kNoKeys, CtlOptions::Threshold, kNoFlags, nullptr)

struct CtlCommandRow {
    const wchar_t* name;
    CtlOperands operands;
    const wchar_t* keys;
    CtlOptions options;
    unsigned flags;
    const wchar_t* note;

    bool Has(unsigned flag) const { return (flags & flag) != 0; }
};

// A command by its row, named as its handler; then the two options that are
// commands of their own, which have no row.
enum class CtlCommand {
#define KESTREL_CTL_ENUMERATOR(handler, ...) handler,
    KESTREL_CTL_COMMANDS(KESTREL_CTL_ENUMERATOR)
#undef KESTREL_CTL_ENUMERATOR
        Help,  // --help, -h, -? or /?
    Version,
};

inline constexpr CtlCommandRow kCtlCommands[] = {
#define KESTREL_CTL_ROW(handler, ...) {__VA_ARGS__},
    KESTREL_CTL_COMMANDS(KESTREL_CTL_ROW)
#undef KESTREL_CTL_ROW
};
static_assert(std::size(kCtlCommands) == static_cast<size_t>(CtlCommand::Help));

// The row of a command that has one (not Help or Version).
inline const CtlCommandRow& CommandRow(CtlCommand command) {
    return kCtlCommands[static_cast<size_t>(command)];
}

}  // namespace kestrel::ctl
