#pragma once

#include "CatalogueDocument.h"
#include "SkinEngine.h"

#include <QMainWindow>
#include <memory>
#include <string>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeView;

namespace quillane {

class CatalogueTreeModel;
class THttpClient;
class TFlashView;
class TPreviewArea;
class TShape;

// The catalogue manager: the program's window when it starts without a pack.
// It shows the default catalogue or a user list as a tree, previews the
// selected pack, and runs the commands of the menu and the toolbar.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // The item last previewed or installed; none after every load.
    CatalogueNode CurrentItem;
    bool FlashShown = false;
    std::string ListFileName;
    bool UsingDefault = false;

    void LoadPackList(const std::string& fileName);
    void BuildThemeMenu(const std::string& folder);
    void SetActionsEnabled(bool value);
    void ShowFlashView(bool flash);

    void treWinksListClick();
    void PreviewItem(const std::string& categoryName);
    void PreviewFlashItem(CatalogueNode item, bool isWink);
    void PreviewPackFile(const std::string& packPath);
    void PreviewEmoticonPack(CatalogueNode item);

    void actInstallExecute();
    void InstallItem(CatalogueNode item);
    void actInstallLocalExecute();

    QString StatusText() const;
    void SetStatusText(const QString& text);

    // Components, named as the tests and the skins find them.
    QToolBar* tblMain;
    QToolButton* tblSkin;
    QMenu* popSkin;
    QMenu* popModItem;
    QAction* Addnewitem1;
    QAction* deleteitem1;
    QTreeView* treWinksList;
    TPreviewArea* pnlPreview;
    TFlashView* flsPreview;
    TShape* shpImage;
    QLabel* gifPrevew;
    QStatusBar* staOptState;
    // The file dialogs are made on first use (see SavePackListDialog and the others).
    QFileDialog* savePackList = nullptr;
    QFileDialog* openPackList = nullptr;
    QFileDialog* opnPack = nullptr;

    QAction* actInstall;
    QAction* actPackMark;
    QAction* actUpgrade;
    QAction* actHome;
    QAction* actAbout;
    QAction* actNew;
    QAction* actOpen;
    QAction* actSaveAs;
    QAction* actUseDefault;
    QAction* actInstallLocal;
    QAction* Exit1;
    QAction* mnuToolbar;
    QAction* meuStatusBar;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();
    void CreateToolbar();
    void CreateClientArea();
    // Each file dialog builds a file system model and its icons, which start-up
    // need not pay for; they are made when first wanted.
    QFileDialog& SavePackListDialog();
    QFileDialog& OpenPackListDialog();
    QFileDialog& OpenPackDialog();
    void CreateEditMenu();
    void CreateKeys();
    void FormCreate();
    void FormResize();

    void SkinClick(QAction* item);
    void tblSkinClick();
    void mnuToolbarClick();
    void meuStatusBarClick();
    void actNewExecute();
    void actOpenExecute();
    void actSaveAsExecute();
    void actUseDefaultExecute();
    void Exit1Click();
    void actHomeExecute();
    void actAboutExecute();
    void actPackMarkExecute();
    void actInstalledContentExecute();
    void actUpgradeExecute();

    void treWinksListMouseUp(const QPoint& position);
    void Addnewitem1Click();
    void deleteitem1Click();

    void ShowInstallOutcome(bool installed);
    // Runs the save dialog as New and Save As prepare it; empty when cancelled.
    std::string ChooseListToSave();
    // Gives the keyboard focus back to the Flash view.
    void FocusFlashView();
    // Shows the empty stage that New and Open leave in the preview.
    void ShowEmptyMovie();

    TCatalogueDocument xmlWinksFile;
    std::unique_ptr<THttpClient> httpUpgrade;
    CatalogueTreeModel* treeModel;
    QLabel* statusPanel;
    TSkinEngine skinMain{this};
};

// The movie that New, Open and a wink without any preview set: nothing
// creates it, so the Flash view shows an empty stage.
inline constexpr const char* kNoMovie = "c:\\1.swf";

// The vendor's pages, opened by HomePage and the About box.
inline constexpr const char* kHomePage = "http://www.quillane.example/";
inline constexpr const char* kSupportAddress = "support@quillane.example";
inline constexpr const char* kSalesAddress = "sales@quillane.example";

}  // namespace quillane
