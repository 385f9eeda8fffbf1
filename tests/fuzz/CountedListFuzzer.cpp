// Arbitrary bytes as the site's contentcount.txt.
#include "InputFile.h"
#include "WinksGlobal.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillane;
    static const TGlobal global("/tmp/");
    int count = -1;
    std::vector<std::string> list;
    const int result = global.LoadCountedList(WriteInputFile(data, size), count, list);
    if (result != 0 && count != 0) std::abort();
    for (const auto& line : list) global.UrlToGifName(line);
    return 0;
}
