// Arbitrary bytes as a catalogue: loaded and walked as the main window walks
// it, and saved again, which must always load back.
#include "CatalogueDocument.h"
#include "InputFile.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillane;
    TCatalogueDocument document;
    try {
        document.Load(WriteInputFile(data, size));
    } catch (const ECatalogueError&) {
        return 0;
    }
    try {
        for (const CatalogueNode category : document.Children(document.Root())) {
            document.LocalName(category);
            for (const CatalogueNode item : document.Children(category)) {
                document.GetAttribute(item, "ContentTitle");
                document.GetAttribute(item, "DownloadUrl");
            }
        }
        const CatalogueNode first = document.Child(document.Root(), 0);
        const CatalogueNode added = document.AddChild(first, "Item");
        document.SetAttribute(added, "ContentTitle", std::string(reinterpret_cast<const char*>(data), size));
        const std::string saved = "/tmp/quillane-fuzz-saved-" + std::to_string(getpid());
        document.Save(saved);
        // A catalogue we wrote must always read back; its own failure is no
        // failure to load the input, so it may not end in the catch below.
        TCatalogueDocument reread;
        try {
            reread.Load(saved);
        } catch (const ECatalogueError&) {
            std::abort();
        }
        std::remove(saved.c_str());
    } catch (const ECatalogueError&) {
    }
    return 0;
}
