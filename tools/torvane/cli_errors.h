// Failures the torvane tool reports in one line on standard error.
#pragma once

#include <stdexcept>
#include <string>

namespace torvane {

// Exit status 2: a usage error or an input that cannot be used.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace torvane
