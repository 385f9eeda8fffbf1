// The Theme menu and the View toggles of the main window.
#include "FrmMainU.h"

#include "ErrorBox.h"
#include "FlashView.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

namespace quillane {
namespace {

const char* const kNoSkin = "Normal";

}  // namespace

void TFrmMain::CreateThemeMenu(QMenu* view) {
    // The toolbar's button and the View menu show this one menu: the same skins,
    // also for someone on the keyboard or who hid the toolbar.
    popSkin = new QMenu("T&heme", this);
    popSkin->setObjectName("popSkin");
    view->addSeparator();
    view->addMenu(popSkin);
}

void TFrmMain::BuildThemeMenu(const std::string& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return;
    QStringList names;
    for (std::filesystem::directory_iterator end; entries != end; entries.increment(error)) {
        if (error) break;
        if (!entries->is_directory(error)) names.append(QString::fromStdString(entries->path().filename().string()));
    }
    // Listed by name, as people look for them, not in the order the disk keeps them.
    names.sort(Qt::CaseInsensitive);
    const QString chosen = QString::fromStdString(Global().SkinFile).toUpper();
    for (const QString& name : names) {
        QAction* item = popSkin->addAction(name.section('.', 0, 0));
        item->setCheckable(true);
        item->setChecked(name.toUpper() == chosen);
        connect(item, &QAction::triggered, this, [this, item] { Guarded([this, item] { SkinClick(item); }, this); });
    }
    popSkin->addSeparator();
    QAction* normal = popSkin->addAction(kNoSkin);
    normal->setCheckable(true);
    connect(normal, &QAction::triggered, this, [this, normal] { Guarded([this, normal] { SkinClick(normal); }, this); });
}

void TFrmMain::SkinClick(QAction* item) {
    for (QAction* other : popSkin->actions()) other->setChecked(false);
    item->setChecked(true);
    const std::string name = item->text().remove('&').toStdString();
    const std::string skinsFolder = Global().AppPath + "Skins/";
    if (name != kNoSkin) {
        const std::string skinFile = name + ".sui";
        skinMain.SetSkinFile(QString::fromStdString(skinsFolder + skinFile));
        if (!skinMain.Active()) skinMain.SetActive(true);
        Global().SkinFile = skinFile;
        Global().SkinPath = skinsFolder + skinFile;
    } else {
        skinMain.SetActive(false);
        Global().SkinFile = kNoSkin;
        Global().SkinPath = skinsFolder + kNoSkin;
        if (!flsPreview->isHidden()) FocusFlashView();
    }
    Global().SaveSettings();
}

void TFrmMain::tblSkinClick() {
    popSkin->popup(tblSkin->mapToGlobal(tblSkin->rect().bottomLeft()));
}

void TFrmMain::mnuToolbarClick() {
    mnuToolbar->setChecked(!mnuToolbar->isChecked());
    tblMain->setVisible(mnuToolbar->isChecked());
    if (FlashShown) FocusFlashView();
    Global().ShowToolbar = !tblMain->isHidden();
    Global().SaveSettings();
}

void TFrmMain::meuStatusBarClick() {
    meuStatusBar->setChecked(!meuStatusBar->isChecked());
    staOptState->setVisible(meuStatusBar->isChecked());
    if (FlashShown) FocusFlashView();
    Global().ShowStatus = !staOptState->isHidden();
    Global().SaveSettings();
}

}  // namespace quillane
