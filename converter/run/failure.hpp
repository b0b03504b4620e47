// The one way a run of the converter fails: a file and what went wrong with it.
#pragma once

#include <string>
#include <string_view>

namespace cellplot {

struct Failure {
    std::string file;
    std::string cause;
};

// Throws Failure{file, cause}; the top level reports it.
[[noreturn]] void fail(const std::string& file, const std::string& cause);

// Prints "program: file: cause" on standard error, each part escaped.
void report(const char* program, const Failure& f);

// text with every byte a terminal would not show as itself written as \xNN:
// control bytes always, and bytes 0x80 and above too when ascii_only (the
// bytes of a file's contents; a file name's UTF-8 stays as it is).
std::string escaped(std::string_view text, bool ascii_only);

// The text of the C library's error number, for causes such as "cannot open".
std::string system_error_text(int error_number);

}  // namespace cellplot
