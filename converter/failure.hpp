// The one way a run of the converter fails: a file and what went wrong with it.
#pragma once

#include <string>

namespace cellplot {

struct Failure {
    std::string file;
    std::string cause;
};

// Throws Failure{file, cause}; the top level prints "cellplot: file: cause".
[[noreturn]] void fail(const std::string& file, const std::string& cause);

// The text of the C library's error number, for causes such as "cannot open".
std::string system_error_text(int error_number);

}  // namespace cellplot
