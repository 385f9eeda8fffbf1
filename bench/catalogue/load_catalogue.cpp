// Times LoadPackList on generated catalogues of 1,000, 10,000 and 100,000
// packs, beside xmllint parsing the same files, and prints both and the ratio.
// Then, on the largest, times 50 keystrokes in the filter field, each until
// the tree has been laid out and painted again, beside grep finding the same
// text in the file.
#include "FlashView.h"
#include "FrmMainU.h"
#include "WinksGlobal.h"
#include "report/Summary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace quillane;
using namespace quillane::bench;
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

// 50 keystrokes as a user searching makes them: typing, taking back, typing again.
std::vector<QString> Keystrokes() {
    std::vector<QString> keys;
    for (const char* word : {"number 4242", "pack 7", "NUMBER 99999"}) {
        for (const char* c = word; *c; ++c) keys.push_back(QString(QChar(*c)));
        for (const char* c = word; *c; ++c) keys.push_back({});
    }
    keys.resize(50);
    return keys;
}

void Press(QWidget* field, const QString& key) {
    const int code = key.isEmpty() ? int(Qt::Key_Backspace) : int(key.at(0).toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, key);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, key);
    QCoreApplication::sendEvent(field, &press);
    QCoreApplication::sendEvent(field, &release);
}

// Each keystroke in the filter field, from the key to the painted tree; then
// grep -c -i for the field's text after each keystroke, on the same file.
void TimeFilter(TFrmMain& window, const std::string& list) {
    std::vector<double> ours;
    std::vector<double> grep;
    for (const QString& key : Keystrokes()) {
        ours.push_back(Seconds([&] {
            Press(window.edtFilter, key);
            QCoreApplication::processEvents();
        }));
        const std::string text = window.edtFilter->text().toStdString();
        grep.push_back(Seconds([&] {
            std::system(("grep -c -i -F -e '" + text + "' '" + list + "' >/dev/null").c_str());
        }));
    }
    const double median = Median(ours);
    const double worst = *std::max_element(ours.begin(), ours.end());
    const double grepMedian = Median(grep);
    std::printf("\nfilter, 100000 packs, 50 keystrokes: median %.1f ms, worst %.1f ms; grep -c -i median %.1f ms, ratio %.2f\n",
                median * 1e3, worst * 1e3, grepMedian * 1e3, median / grepMedian);
    SummaryRow("Filter field", "one keystroke, 100,000 packs (median; worst " + Figure("%.1f ms", worst * 1e3) + ")",
               Figure("%.1f ms", median * 1e3), "grep -c -i", Figure("%.1f ms", grepMedian * 1e3),
               Figure("%.2f", median / grepMedian), "worst under 30 ms", Met(worst < 0.030));
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
        SummaryRow("Catalogue load", std::to_string(packs) + " packs, loaded and shown", Figure("%.3f s", best),
                   "xmllint --noout", Figure("%.3f s", xmllint), Figure("%.2f", best / xmllint),
                   largest ? "under 0.5 s" : "none", largest ? Met(best < 0.5) : "-");
    }
    TimeFilter(window, (folder / "list100000.mpl").string());
    fs::remove_all(folder);
    return 0;
}
