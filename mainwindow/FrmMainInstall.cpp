// The install commands of the main window: the selected pack, or a pack file from the disk.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "InstallCommands.h"
#include "WinksGlobal.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTreeView>
#include <filesystem>

namespace quillane {

void TFrmMain::actInstallExecute() {
    const QModelIndex selected = treWinksList->currentIndex();
    if (!OpenedPackFile.empty() && !selected.isValid()) {
        Global().PackToInstall = OpenedPackFile;
        ShowInstallOutcome(RunInstallWindow(this));
        return;
    }
    if (!selected.isValid() || treeModel->IsCategory(selected)) {
        QMessageBox box(QMessageBox::Information, kApplicationTitle, "Please select a pack on the left list.",
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    try {
        InstallItem(treeModel->NodeAt(selected));
    } catch (const std::exception&) {
        // The install window has shown whatever went wrong.
    }
}

void TFrmMain::InstallItem(CatalogueNode item) {
    CurrentItem = item;
    const std::string downloadUrl = xmlWinksFile.AttributeText(item, "DownloadUrl");
    std::error_code error;
    Global().PackToInstall = std::filesystem::is_regular_file(downloadUrl, error)
                                 ? downloadUrl
                                 : Global().DownloadBase + downloadUrl;
    // Installed Content shows the pack by the title it has here.
    ShowInstallOutcome(RunInstallWindow(this, xmlWinksFile.GetAttribute(item, "ContentTitle").value_or(std::string())));
}

void TFrmMain::actInstallLocalExecute() {
    QFileDialog& dialog = OpenPackDialog();
    StartInLastFolder(dialog, "InstallPackFile", QString::fromStdString(Global().AppPath + "msnpack/"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    PreviewPackFile(chosen);
    Global().PackToInstall = chosen;
    ShowInstallOutcome(RunInstallWindow(this));
}

void TFrmMain::ShowInstallOutcome(bool installed) {
    SetStatusText(installed ? "installed successfully" : "installed unsuccessfully");
}

}  // namespace quillane
