// Times LoadPackList on generated catalogues of 1,000, 10,000 and 100,000
// packs, beside xmllint parsing the same files, and prints both and the ratio.
#include "FlashView.h"
#include "FrmMainU.h"
#include "WinksGlobal.h"
#include "report/Summary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

void WriteCatalogue(const std::string& path, int packs) {
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n";
    const char* categories[] = {"Winks", "DisplayPictures", "Emoticons"};
    for (int c = 0; c < 3; ++c) {
        out << "<" << categories[c] << ">\n";
        for (int i = c; i < packs; i += 3) {
            out << "<Item ContentTitle=\"Pack number " << i << "\" DownloadUrl=\"packs/p" << i
                << ".QZK\" PrePath=\"p" << i << ".swf\" EmoticonsCount=\"12\"/>\n";
        }
        out << "</" << categories[c] << ">\n";
    }
    out << "</ContentList>\n";
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    PrepareFlashPlayer();
    QApplication application(argc, argv);
    const fs::path folder = fs::temp_directory_path() / "quillane-catalogue-bench";
    fs::create_directories(folder);
    InstallGlobal(std::make_unique<TGlobal>(folder.string() + "/"));
    WriteCatalogue((folder / "content.dat").string(), 3);
    TFrmMain window;
    window.show();

    std::printf("%10s %14s %14s %8s\n", "packs", "LoadPackList", "xmllint", "ratio");
    for (const int packs : {1000, 10000, 100000}) {
        const std::string list = (folder / ("list" + std::to_string(packs) + ".mpl")).string();
        WriteCatalogue(list, packs);
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            best = std::min(best, Seconds([&] {
                window.LoadPackList(list);
                QCoreApplication::processEvents();  // until the tree has been laid out and painted
            }));
        }
        const double xmllint = Seconds([&] {
            std::system(("xmllint --noout '" + list + "'").c_str());
        });
        std::printf("%10d %12.3f s %12.3f s %8.2f   (%s)\n", packs, best, xmllint, best / xmllint,
                    qPrintable(window.StatusText()));
        // The goal is set for the largest catalogue only.
        const bool largest = packs == 100000;
        using namespace quillane::bench;
        SummaryRow("Catalogue load", std::to_string(packs) + " packs, loaded and shown", Figure("%.3f s", best),
                   "xmllint --noout", Figure("%.3f s", xmllint), Figure("%.2f", best / xmllint),
                   largest ? "under 0.5 s" : "none", largest ? Met(best < 0.5) : "-");
    }
    fs::remove_all(folder);
    return 0;
}
