// Recognition of the command-line options. Portable: no windows.h.
#pragma once

namespace kestrel {

enum class StartOption { None, Hide, ExitAll };

// The command line as a graphical entry point receives it (program name and
// the blanks after it removed) is compared whole and without regard to case;
// an option with anything after it, even a blank, is no option.
StartOption ParseStartOption(const wchar_t* commandLine);

}  // namespace kestrel
