#include "CollectionListing.h"

#include "CollectionScan.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace quillane {

std::string ShownText(const std::string& bytes) {
    QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    }
    return text.toStdString();
}

std::string ShownTitle(const TCollectedFile& file) {
    if (!file.title.empty()) return file.title;
    const auto slash = file.path.rfind('/');
    return slash == std::string::npos ? file.path : file.path.substr(slash + 1);
}

bool IsListCommand(const std::vector<std::string>& arguments) {
    return !arguments.empty() && arguments.front() == "--list";
}

std::string ListingText(std::vector<TCollectedFile> files) {
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    std::unordered_map<std::string, const TCollectedFile*> firstCopy;
    std::string text;
    for (const TCollectedFile& file : files) {
        std::string note = file.problem;
        if (file.IsPack()) {
            const auto [first, isFirst] = firstCopy.try_emplace(file.contents, &file);
            if (!isFirst) note = "duplicate of " + ShownText(first->second->path);
        }
        text += ShownText(file.path) + '\t' + ShownText(file.kind) + '\t' + (file.IsPack() ? ShownText(ShownTitle(file)) : "") + '\t' +
                (file.IsPack() ? std::to_string(file.items) : "") + '\t' + std::to_string(file.bytes) + '\t' + ShownText(note) + '\n';
    }
    return text;
}

int RunListCommand(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) {
        std::fputs("quillane: --list takes one folder: quillane --list FOLDER\n", stderr);
        return 2;
    }
    TCollectionScan scan(arguments[1]);
    scan.Run();
    if (!scan.Failure().empty()) {
        std::fprintf(stderr, "quillane: %s\n", ShownText(scan.Failure()).c_str());
        return 1;
    }
    const std::string text = ListingText(scan.TakeFound());
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace quillane
