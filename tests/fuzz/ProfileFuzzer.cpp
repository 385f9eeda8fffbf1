// Arbitrary bytes as Config.ini: read as the settings are read, then written
// and read back, which must give the written value and keep a foreign key.
#include "InputFile.h"
#include "ProfileFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillane;
    ProfileFile file(WriteInputFile(data, size));
    file.ReadInteger("Config", "CurrentWinks", 0);
    file.ReadString("Config", "SkinFile", "MacOS.sui");
    const auto foreign = file.ReadString("Config", "DownloadBase");
    file.WriteString("Config", "ShowStatus", "0");
    if (file.ReadInteger("Config", "ShowStatus", 7) != 0) std::abort();
    if (file.ReadString("Config", "DownloadBase") != foreign) std::abort();
    return 0;
}
