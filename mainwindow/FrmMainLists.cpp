// Loading the catalogue into the tree, and the File commands on lists.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "FlashView.h"
#include "PreviewArea.h"
#include "WinksGlobal.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTreeView>
#include <filesystem>

namespace quillane {
namespace {

const char* const kLoadFailed =
    "Load the Quillane pack list failed.Please click Upgrade button to Get new Quillane list .";

// Shows the hourglass for as long as it lives.
class HourglassCursor {
public:
    HourglassCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QGuiApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

void TFrmMain::LoadPackList(const std::string& fileName) {
    CloseCollection();
    const bool isDefault = fileName == Global().CatalogueFile();
    UsingDefault = isDefault;
    actUseDefault->setEnabled(!isDefault);
    if (isDefault) {
        Global().CurrentWinks = 0;
        setWindowTitle(kApplicationTitle);
    } else {
        setWindowTitle(kApplicationTitle + " - " + QString::fromStdString(FileNameOf(fileName)));
    }

    HourglassCursor hourglass;
    // The load discards the document that the tree and CurrentItem point into,
    // whether it then succeeds or not.
    CurrentItem = {};
    OpenedPackFile.clear();
    // Nothing is chosen in the new tree, so there is nothing to install yet.
    actInstall->setEnabled(false);
    treeBeforeFilter_ = {};
    hiddenByFilter_ = {};
    treeModel->Clear();
    std::vector<CatalogueTreeModel::Category> categories;
    int count = 0;
    try {
        xmlWinksFile.Load(fileName);
        try {
            for (const CatalogueNode category : xmlWinksFile.Children(xmlWinksFile.Root())) {
                auto& added = categories.emplace_back();
                added.name = QString::fromStdString(xmlWinksFile.LocalName(category));
                added.node = category;
                for (const CatalogueNode item : xmlWinksFile.Children(category)) {
                    added.packs.push_back({QString::fromStdString(xmlWinksFile.AttributeText(item, "ContentTitle")), item});
                    ++count;
                    if (isDefault) ++Global().CurrentWinks;
                }
            }
        } catch (...) {
            // The tree keeps what was built before the failure.
            treeModel->SetCategories(std::move(categories));
            throw;
        }
        if (categories.empty()) throw ECatalogueError("The catalogue has no category");
        treeModel->SetCategories(std::move(categories));
        // A filter that is set applies to the new tree; clearing it then opens the first category.
        if (treeModel->IsFiltered()) {
            treeBeforeFilter_.expanded.push_back(xmlWinksFile.Child(xmlWinksFile.Root(), 0));
            treWinksList->expandAll();
        } else {
            treWinksList->expand(treeModel->index(0, 0));
        }
        SetStatusText(QString::number(count) + " Quillane pack in the list.");
    } catch (const std::exception&) {
        QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, kLoadFailed, QMessageBox::Ok, this);
        box.setObjectName("LoadFailedBox");
        box.exec();
    }
}

std::string TFrmMain::ChooseListToSave(const QString& title) {
    QFileDialog& dialog = SavePackListDialog();
    dialog.setWindowTitle(title);
    // The user's folder the first time, then the folder of the last list saved or opened.
    StartInLastFolder(dialog, "PackLists", QString::fromStdString(Global().UserPath));
    dialog.selectFile("WinksList.mpl");
    dialog.setDefaultSuffix("mpl");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

void TFrmMain::ShowEmptyMovie() {
    StopUnpacking();
    ShowFlashView(true);
    pnlPreview->Describe("Preview", "Nothing is shown");
    flsPreview->SetMovie(kNoMovie);
    flsPreview->Play();
}

void TFrmMain::actNewExecute() {
    const std::string chosen = ChooseListToSave("New Pack List");
    if (chosen.empty()) return;
    ListFileName = chosen;
    WriteNewListTemplate(ListFileName);
    LoadPackList(ListFileName);
    ShowEmptyMovie();
}

void TFrmMain::actOpenExecute() {
    QFileDialog& dialog = OpenPackListDialog();
    StartInLastFolder(dialog, "PackLists", QString::fromStdString(Global().UserPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    ShowEmptyMovie();
    LoadPackList(chosen);
    ListFileName = chosen;
}

void TFrmMain::actSaveAsExecute() {
    const std::string chosen = ChooseListToSave("Save Pack List As");
    if (chosen.empty()) return;
    xmlWinksFile.Save(chosen);
    LoadPackList(chosen);
    ListFileName = chosen;
}

void TFrmMain::actUseDefaultExecute() {
    LoadPackList(Global().CatalogueFile());
}

}  // namespace quillane
