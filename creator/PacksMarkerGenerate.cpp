// The Packs Creator's Generate: the check of the shortcuts, the save dialog,
// the pack written at the chosen path, and the message that tells what it holds.
#include "PacksMarkerU.h"

#include "CabOpt.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "PackManifest.h"
#include "WinksGlobal.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <set>

namespace quillane {
namespace {

void LetPendingInputRun() {
    QCoreApplication::processEvents();
}

QString Counted(size_t count, const char* one, const char* many) {
    return QString::number(count) + " " + (count == 1 ? one : many);
}

// The items whose pictures made it into the pack.
size_t CountIn(const std::vector<TPackItem>& items, const std::set<std::string>& skipped) {
    size_t count = 0;
    for (const TPackItem& item : items) count += skipped.count(item.FullPath) == 0;
    return count;
}

}  // namespace

std::string TFrmPacksCreator::WriteManifest() {
    return quillane::WriteManifest(Contents(), Global().UserPath, LetPendingInputRun);
}

void TFrmPacksCreator::btnExportClick() {
    if (!ShortcutsAreDistinct()) return;
    StartInLastFolder(*savPack, "SavePack");
    savPack->selectFile("pack." + savPack->defaultSuffix());
    if (savPack->exec() != QDialog::Accepted) return;
    const std::string chosen = savPack->selectedFiles().value(0).toStdString();
    SetEditable(false);
    std::vector<std::string> skipped;
    try {
        skipped = GeneratePack(chosen);
    } catch (...) {
        SetEditable(true);
        throw;
    }
    SetEditable(true);
    ReportSaved(PackPathFor(chosen), skipped);
}

std::vector<std::string> TFrmPacksCreator::GeneratePack(const std::string& chosen) {
    const TPackContents contents = Contents();
    const std::string manifest = WriteManifest();
    const std::vector<std::string> skipped = BuildCabinet(chosen, contents, manifest, LetPendingInputRun);
    saved_ = contents;
    return skipped;
}

void TFrmPacksCreator::ReportSaved(const std::string& pack, const std::vector<std::string>& skipped) {
    const std::set<std::string> missing(skipped.begin(), skipped.end());
    const QFileInfo file(QString::fromStdString(pack));
    QString text = QString("Saved pack %1: %2, %3.\nIt is in \"%4\".")
                       .arg(file.fileName(), Counted(CountIn(saved_.Emoticons, missing), "emoticon", "emoticons"),
                            Counted(CountIn(saved_.DisplayPictures, missing), "display picture", "display pictures"),
                            file.absolutePath() + "/");
    if (!skipped.empty()) {
        // The manifest still lists them, so the pack is not complete until they are removed.
        text += "\n\nThese pictures could not be read and are missing from the pack. "
                "Please remove them and generate the pack again:";
        for (const std::string& path : skipped) text += "\n" + QString::fromStdString(path);
    }
    ShowMessageBox(this, skipped.empty() ? QMessageBox::Information : QMessageBox::Warning, text);
}

}  // namespace quillane
