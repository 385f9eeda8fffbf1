#pragma once

#include "BackgroundJob.h"
#include "CatalogueDocument.h"
#include "PreviewCache.h"
#include "SkinEngine.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QMovie;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeView;

namespace quillane {

class CatalogueTreeModel;
class THttpClient;
class TCollectionView;
class TFlashView;
class TPreviewArea;
class TShape;
struct TChatExportSource;

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
    // The pack file previewed by OpenPackFile while no pack of the tree is chosen.
    std::string OpenedPackFile;
    bool UsingDefault = false;

    void LoadPackList(const std::string& fileName);
    void BuildThemeMenu(const std::string& folder);
    void SetActionsEnabled(bool value);
    void ShowFlashView(bool flash);

    void treWinksListClick();
    void PreviewItem(const std::string& categoryName);
    void PreviewFlashItem(CatalogueNode item, bool isWink);
    void PreviewPackFile(const std::string& packPath);
    // Previews a pack file from the disk; Install to MSN then installs it.
    void OpenPackFile(const std::string& path);
    void PreviewEmoticonPack(CatalogueNode item);
    // Shows every pack below the folder in the tree's place; a catalogue loaded gives the tree back.
    void OpenCollection(const std::string& folder);
    void CloseCollection();
    bool CollectionShown() const;
    // The collection's view, in the tree's place; made when it is first wanted, as few start with a folder.
    TCollectionView& Collection();

    void actInstallExecute();
    void InstallItem(CatalogueNode item);
    void actInstallLocalExecute();

    QString StatusText() const;
    void SetStatusText(const QString& text);

    // Components, named as the tests and the skins find them.
    QToolBar* tblMain = nullptr;
    QToolButton* tblSkin;
    QMenu* popSkin;
    QMenu* popModItem;
    QAction* Addnewitem1;
    QAction* deleteitem1;
    QLineEdit* edtFilter;
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
    QFileDialog* opnFolder = nullptr;

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
    QAction* actPreviewFile;
    QAction* actOpenFolder;
    QAction* actSaveGif;
    QAction* actSavePictures;
    QAction* actExportChat;
    QAction* Exit1;
    QAction* mnuToolbar;
    QAction* meuStatusBar;

signals:
    // A pack file (opened, dropped, or a pack of the tree) has been read and shown, or found wanting.
    void PackFileShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();
    // The skins' menu, the View menu's Theme and the toolbar's Theme button alike.
    void CreateThemeMenu(QMenu* view);
    // Help (F1): the program's own help window.
    void AddHelpContents(QMenu* help);
    void CreateToolbar();
    void FitToolbarButtons();
    void CreateClientArea();
    // The filter field over the tree, in a panel for the left of the window.
    QWidget* CreateFilteredTree(QWidget* parent);
    // Each file dialog builds a file system model and its icons, which start-up
    // need not pay for; they are made when first wanted.
    QFileDialog& SavePackListDialog();
    QFileDialog& OpenPackListDialog();
    QFileDialog& OpenPackDialog();
    void CreateEditMenu();
    void CreateKeys();
    // The screen reader's names of the controls, in the program's words.
    void NameControls();
    void FormCreate();
    // What the first look of the window does not show, made once it is on the screen.
    void FinishAfterFirstPaint();
    // The first start's size fits the content; later starts have the size the window was closed at.
    void SizeToStart();
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
    void actPreviewFileExecute();
    void actOpenFolderExecute();
    // The first local folder among dropped things, as its path's bytes; empty when none.
    static std::string DroppedFolder(const QMimeData* data);
    void actSaveGifExecute();
    void actSavePicturesExecute();
    void actExportChatExecute();
    // Asks for the program and the folder over `over`, then exports the pack as a job.
    void ExportForChatProgram(const TChatExportSource& pack, QWidget* over);
    // The pack file of a catalogue item on this computer: its DownloadUrl, or its copy in msnpack/.
    std::string LocalPackOf(CatalogueNode item) const;
    // The pack file being previewed, when it is on this computer; empty otherwise.
    std::string PreviewedPackFile() const;

    void treWinksListMouseUp(const QPoint& position);
    void Addnewitem1Click();
    void deleteitem1Click();

    void edtFilterChange(const QString& text);
    // Notes the selection and the open categories, which clearing the filter gives back.
    void RememberTree();
    // Selects and shows the element's row, when the tree shows it.
    void SelectInTree(CatalogueNode node);
    // Empties the preview of the pack the filter has just hidden, and disables Install.
    void ClearHiddenPreview();
    // Down in the filter: the keyboard goes to the packs found, onto the first unless one is chosen.
    void EnterResults();
    // Previews the highlighted pack as a click does, unless it is shown already.
    void PreviewHighlighted();
    // The pack of the tree's highlighted row; none on a category or no row.
    CatalogueNode HighlightedPack() const;

    void ShowInstallOutcome(bool installed);
    // Runs the save dialog, titled for New or Save As; empty when cancelled.
    std::string ChooseListToSave(const QString& title);
    // Shows the pack prepared under the key, from memory when it was read before, else once
    // `prepare` has read it in a job; a later preview supersedes it, and it is never shown then.
    void PreparePreview(const std::string& key, std::function<std::shared_ptr<const TPackPreview>()> prepare,
                        std::function<void(const TPackPreview&)> show);
    // Shows a pack read for its preview: its emoticons, its movie after its still, or its picture.
    void ShowPack(const std::string& path, const TPackPreview& prepared);
    void ShowEmoticons(const TPreviewContents& contents);
    // Ends a movie preview with a status that says whether it could be shown.
    void EndFlashPreview(bool shown);
    // Shows a picture, animated if it is, in the GIF view; false when there is none (nullptr) or it cannot be read.
    bool ShowPicture(QMovie* movie);
    // Says, in the preview and the status bar, why the pack file shows nothing: damaged, or `why`.
    void ShowDamagedPack(const std::string& path, const std::string& why = {});
    // Starts reading the preview that waits, unless a pack is being read.
    void PrepareWaitingPreview();
    // Supersedes the preview being prepared: what it reads is kept, never shown.
    void StopUnpacking();
    // Gives the keyboard focus back to the Flash view.
    void FocusFlashView();
    // Shows the empty stage that New and Open leave in the preview.
    void ShowEmptyMovie();

    TCatalogueDocument xmlWinksFile;
    std::unique_ptr<THttpClient> httpUpgrade;
    CatalogueTreeModel* treeModel;
    // The tree as it was when filtering began; points into the loaded document.
    struct TreeState {
        CatalogueNode selected;
        std::vector<CatalogueNode> expanded;
    } treeBeforeFilter_;
    // The pack whose preview the filter emptied; previewed again when clearing the filter gives back its row.
    CatalogueNode hiddenByFilter_;
    QLabel* statusPanel;
    QLabel* lblNoMatch;
    TSkinEngine skinMain{this};
    // The job reading a pack for its preview (cancelled when superseded), and
    // the preview asked for since, which waits for it.
    TBackgroundJob* preparing_ = nullptr;
    struct WaitingPreview {
        std::string key;
        std::function<std::shared_ptr<const TPackPreview>()> prepare;
        std::function<void(const TPackPreview&)> show;
    };
    std::optional<WaitingPreview> waiting_;
    TPreviewCache previewCache_;
    // The name of the pack whose movie preview is under way; empty when none is.
    QString previewTitle_;
    // The window has been painted once; what is started after the first paint has begun.
    bool painted_ = false;
    TCollectionView* collection_ = nullptr;
};

// The movie that New, Open and a wink without any preview set: nothing
// creates it, so the Flash view shows an empty stage.
inline constexpr const char* kNoMovie = "c:\\1.swf";

// The vendor's pages, opened by HomePage and the About box.
inline constexpr const char* kHomePage = "http://www.quillane.example/";
inline constexpr const char* kSupportAddress = "support@quillane.example";
inline constexpr const char* kSalesAddress = "sales@quillane.example";

}  // namespace quillane
