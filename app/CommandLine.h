#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillane {

// Splits a command line into its arguments the way Windows programs do:
// blanks separate, quotation marks group (a doubled one inside quotes is a
// literal quotation mark), backslashes escape only a following quotation mark.
// No shell is involved, so no wildcard or variable is expanded.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// What `quillane --help` and `quillane --version` print before they end: the
// first argument must be exactly one of the two words. Nothing for any other
// argument, which is a pack to install.
std::optional<std::string> CommandLineInformation(const std::string& firstArgument, const std::string& version);

}  // namespace quillane
