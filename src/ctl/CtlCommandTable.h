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

// Whether a command may ask a question, which --yes answers.
inline constexpr bool kMayAsk = true;
inline constexpr bool kAsksNothing = false;

// Whether the session connects before the handler runs, and says why it
// could not (exit code 3), or the handler makes contact and reports a
// failure itself.
inline constexpr bool kConnectsFirst = true;
inline constexpr bool kOwnContact = false;

// ROW(handler, name, operands, keys, question, options, contact, note): note
// follows the command's line in --help, which the other columns make, or is
// null.
#define KESTREL_CTL_COMMANDS(ROW)                                                                \
    ROW(Status, L"status", CtlOperands::None, kNoKeys, kAsksNothing, CtlOptions::None,           \
        kOwnContact, nullptr)                                                                    \
    ROW(Ports, L"ports", CtlOperands::None, kNoKeys, kAsksNothing, CtlOptions::Formats,          \
        kConnectsFirst, nullptr)                                                                 \
    ROW(Get, L"get", CtlOperands::Port, kNoKeys, kAsksNothing, CtlOptions::None, kConnectsFirst, \
        nullptr)                                                                                 \
    ROW(Set, L"set", CtlOperands::Port, kDmsKeys, kMayAsk, CtlOptions::None, kConnectsFirst,     \
        L"keys: host, port, retry (seconds), ssl, active")                                       \
    ROW(FollowDefaults, L"set", CtlOperands::PortDefault, kNoKeys, kMayAsk, CtlOptions::None,    \
        kConnectsFirst, L"the port follows the defaults")                                        \
    ROW(Defaults, L"defaults", CtlOperands::None, kNoKeys, kAsksNothing, CtlOptions::None,       \
        kConnectsFirst, nullptr)                                                                 \
    ROW(ChangeDefaults, L"defaults", CtlOperands::Set, kDmsKeys, kMayAsk, CtlOptions::None,      \
        kConnectsFirst, L"keys as for set PORT")                                                 \
    ROW(Log, L"log", CtlOperands::None, kNoKeys, kAsksNothing, CtlOptions::None, kConnectsFirst, \
        nullptr)                                                                                 \
    ROW(SetLog, L"log", CtlOperands::Set, kLogKeys, kAsksNothing, CtlOptions::None,              \
        kConnectsFirst, L"keys: folder, level")                                                  \
    ROW(Check, L"check", CtlOperands::None, kNoKeys, kAsksNothing, CtlOptions::Threshold,        \
        kOwnContact, nullptr)

struct CtlCommandRow {
    const wchar_t* name;
    CtlOperands operands;
    const wchar_t* keys;
    bool mayAsk;
    CtlOptions options;
    bool connectsFirst;
    const wchar_t* note;
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
