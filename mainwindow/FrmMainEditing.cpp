// Editing a user list: adding a pack file under a display name, deleting a pack.
#include "FrmMainU.h"

#include "ErrorBox.h"
#include "UFrmAddPack.h"
#include "WinksGlobal.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTime>
#include <QTreeView>
#include <filesystem>

namespace fs = std::filesystem;

namespace quillane {
namespace {

// Where the copy of an added pack goes in userpack/: its own name, else the
// time of day before it, else a number as well; never a name already taken.
std::string CopyDestination(const std::string& folder, const std::string& name) {
    std::error_code error;
    std::string destination = folder + name;
    if (!fs::exists(destination, error)) return destination;
    const std::string time = QTime::currentTime().toString("hhmmss").toStdString();
    destination = folder + time + name;
    for (int number = 2; fs::exists(destination, error); ++number) {
        destination = folder + time + "-" + std::to_string(number) + name;
    }
    return destination;
}

}  // namespace

void TFrmMain::CreateEditMenu() {
    popModItem = new QMenu(this);
    popModItem->setObjectName("popModItem");
    Addnewitem1 = popModItem->addAction("Add");
    Addnewitem1->setObjectName("Addnewitem1");
    deleteitem1 = popModItem->addAction("Delete");
    deleteitem1->setObjectName("deleteitem1");
    connect(Addnewitem1, &QAction::triggered, this, [this] { Guarded([this] { Addnewitem1Click(); }, this); });
    connect(deleteitem1, &QAction::triggered, this, [this] { Guarded([this] { deleteitem1Click(); }, this); });
    treWinksList->viewport()->installEventFilter(this);
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == treWinksList->viewport()) {
        auto* mouse = dynamic_cast<QMouseEvent*>(event);
        // The right button opens the menu and leaves the selection alone.
        if (mouse && mouse->button() == Qt::RightButton) {
            if (event->type() == QEvent::MouseButtonRelease) treWinksListMouseUp(mouse->position().toPoint());
            return event->type() != QEvent::MouseMove;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::treWinksListMouseUp(const QPoint& position) {
    if (UsingDefault) return;
    popModItem->popup(treWinksList->viewport()->mapToGlobal(position));
}

void TFrmMain::Addnewitem1Click() {
    TFrmAddPack dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string packFile = dialog.PackFileName.toStdString();
    PreviewPackFile(packFile);

    const std::string folder = Global().UserPath + "userpack/";
    fs::create_directories(folder);
    const std::string destination = CopyDestination(folder, fs::path(packFile).filename().string());
    fs::copy_file(packFile, destination, fs::copy_options::none);

    const CatalogueNode item = xmlWinksFile.AddChild(xmlWinksFile.Child(xmlWinksFile.Root(), 0), "Item");
    xmlWinksFile.SetAttribute(item, "ContentTitle", dialog.DisplayName.toStdString());
    xmlWinksFile.SetAttribute(item, "PrePath", "");
    xmlWinksFile.SetAttribute(item, "DownloadUrl", destination);
    xmlWinksFile.Save(ListFileName);
    LoadPackList(ListFileName);
}

void TFrmMain::deleteitem1Click() {
    // Only the pack the person sees highlighted: a pack previewed earlier and
    // left since is never removed unseen.
    const CatalogueNode pack = HighlightedPack();
    if (!pack) return;
    xmlWinksFile.Remove(pack.parent(), xmlWinksFile.IndexOf(pack));
    xmlWinksFile.Save(ListFileName);
    LoadPackList(ListFileName);
}

}  // namespace quillane
