#pragma once

#include <string>
#include <vector>

namespace quillane {

// Splits a command line into its arguments the way Windows programs do:
// blanks separate, quotation marks group (a doubled one inside quotes is a
// literal quotation mark), backslashes escape only a following quotation mark.
// No shell is involved, so no wildcard or variable is expanded.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace quillane
