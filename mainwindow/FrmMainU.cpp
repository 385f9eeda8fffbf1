// The main window's construction: actions, menu, toolbar, tree, preview area,
// status bar and dialogs, then the start-up sequence.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "HttpClient.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "FlashView.h"
#include "EmoticonGrid.h"
#include "Pictures.h"
#include "PreviewArea.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTreeView>

namespace quillane {
namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint = {}) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

// A file dialog titled by what it is for.
QFileDialog* MakeFileDialog(QWidget* owner, const char* name, QFileDialog::AcceptMode mode, const QString& title) {
    auto* dialog = new QFileDialog(owner);
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    CloseCompletionsWithDialog(*dialog);
    return dialog;
}

}  // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent), httpUpgrade(std::make_unique<THttpClient>()) {
    httpUpgrade->Pump = [] { QCoreApplication::processEvents(); };
    setObjectName("FrmMain");
    setWindowTitle(kApplicationTitle);
    setFont(QFont("MS Sans Serif", 8));
    setAcceptDrops(true);
    // The skin before the children: each is polished once, in its skin, rather than again when it comes.
    Guarded([this] { skinMain.ApplyGlobalSkin(); }, this);
    CreateActions();
    CreateMenu();
    CreateToolbar();
    CreateClientArea();
    CreateEditMenu();
    CreateKeys();
    NameControls();
    FormCreate();
    SizeToStart();
    // Centred on the screen, whatever the window manager would choose.
    if (const QScreen* shown = screen()) move(shown->availableGeometry().center() - rect().center());
}

// The jobs still preparing previews are children of the window: each is waited for as it goes.
TFrmMain::~TFrmMain() = default;

void TFrmMain::CreateActions() {
    actInstall = MakeAction(this, "actInstall", "Install to MSN", "Install pack to your MSN");
    actInstall->setIcon(ToolbarPicture(0));
    actInstall->setEnabled(false);
    actPackMark = MakeAction(this, "actPackMark", "Packs Creator", "Creat a pack of Quillane");
    actPackMark->setIcon(ToolbarPicture(5));
    actUpgrade = MakeAction(this, "actUpgrade", "Upgrade", "Get new Quillane List form site");
    actUpgrade->setIcon(ToolbarPicture(2));
    actHome = MakeAction(this, "actHome", "HomePage", "Visit Our Web Site");
    actHome->setIcon(ToolbarPicture(1));
    actAbout = MakeAction(this, "actAbout", "About", "About Quillane");
    actAbout->setIcon(ToolbarPicture(8));
    actNew = MakeAction(this, "actNew", "&New");
    actNew->setIcon(ToolbarPicture(3));
    actOpen = MakeAction(this, "actOpen", "&Open");
    actOpen->setIcon(ToolbarPicture(4));
    actSaveAs = MakeAction(this, "actSaveAs", "Save &As");
    actSaveAs->setIcon(ToolbarPicture(6));
    actUseDefault = MakeAction(this, "actUseDefault", "&Use Default Database");
    actInstallLocal = MakeAction(this, "actInstallLocal", "Install Pack from Folder",
                                 "Install pack to your MSN from Local Disk");
    actPreviewFile = MakeAction(this, "actPreviewFile", "&Preview Pack File...",
                                "Preview a pack file from your disk");
    actOpenFolder = MakeAction(this, "actOpenFolder", "Open &Folder...", "Show every pack in a folder and the folders below it");
    actOpenFolder->setShortcut(QKeySequence("Ctrl+Shift+O"));
    connect(actOpenFolder, &QAction::triggered, this, [this] { Guarded([this] { actOpenFolderExecute(); }, this); });
    Exit1 = MakeAction(this, "Exit1", "&Exit");
    Exit1->setIcon(ToolbarPicture(11));
    mnuToolbar = MakeAction(this, "mnuToolbar", "&Toolbar");
    mnuToolbar->setCheckable(true);
    meuStatusBar = MakeAction(this, "meuStatusBar", "&Status Bar");
    meuStatusBar->setCheckable(true);

    connect(actNew, &QAction::triggered, this, [this] { Guarded([this] { actNewExecute(); }, this); });
    connect(actOpen, &QAction::triggered, this, [this] { Guarded([this] { actOpenExecute(); }, this); });
    connect(actSaveAs, &QAction::triggered, this, [this] { Guarded([this] { actSaveAsExecute(); }, this); });
    connect(actUseDefault, &QAction::triggered, this, [this] { Guarded([this] { actUseDefaultExecute(); }, this); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(actHome, &QAction::triggered, this, [this] { actHomeExecute(); });
    connect(actAbout, &QAction::triggered, this, [this] { actAboutExecute(); });
    connect(actInstall, &QAction::triggered, this, [this] { Guarded([this] { actInstallExecute(); }, this); });
    connect(actInstallLocal, &QAction::triggered, this, [this] { Guarded([this] { actInstallLocalExecute(); }, this); });
    connect(actPreviewFile, &QAction::triggered, this, [this] { Guarded([this] { actPreviewFileExecute(); }, this); });
    actSaveGif = MakeAction(this, "actSaveGif", "Save as Animated &GIF...", "Save the wink being previewed as an animated GIF");
    connect(actSaveGif, &QAction::triggered, this, [this] { Guarded([this] { actSaveGifExecute(); }, this); });
    actSavePictures = MakeAction(this, "actSavePictures", "Save P&ictures...", "Save the pictures of the pack being previewed into a folder");
    connect(actSavePictures, &QAction::triggered, this, [this] { Guarded([this] { actSavePicturesExecute(); }, this); });
    actExportChat = MakeAction(this, "actExportChat", "Export for a &Chat Program...",
                               "Export the pictures of the pack being previewed for Discord, Telegram, Signal, WhatsApp, Slack, Matrix or Pidgin");
    connect(actExportChat, &QAction::triggered, this, [this] { Guarded([this] { actExportChatExecute(); }, this); });
    connect(actUpgrade, &QAction::triggered, this, [this] { Guarded([this] { actUpgradeExecute(); }, this); });
    connect(actPackMark, &QAction::triggered, this, [this] { Guarded([this] { actPackMarkExecute(); }, this); });
    // A check action has already flipped its mark when it reports the click;
    // the handlers flip it themselves, so give the mark back first.
    connect(mnuToolbar, &QAction::triggered, this, [this] {
        mnuToolbar->setChecked(!mnuToolbar->isChecked());
        Guarded([this] { mnuToolbarClick(); }, this);
    });
    connect(meuStatusBar, &QAction::triggered, this, [this] {
        meuStatusBar->setChecked(!meuStatusBar->isChecked());
        Guarded([this] { meuStatusBarClick(); }, this);
    });
}

void TFrmMain::CreateMenu() {
    QMenuBar* mnuMain = menuBar();
    mnuMain->setObjectName("mnuMain");
    QMenu* file = mnuMain->addMenu("&File");
    file->addActions({actNew, actOpen, actOpenFolder, actSaveAs, actUseDefault});
    file->addSeparator();
    file->addAction(actInstall);
    file->addSeparator();
    file->addAction(actInstallLocal);
    file->addAction(actPreviewFile);
    file->addActions({actSaveGif, actSavePictures, actExportChat});
    file->addSeparator();
    file->addAction(Exit1);
    QMenu* tools = mnuMain->addMenu("&Tools");
    tools->addAction(actPackMark);
    QAction* installedContent = tools->addAction("Installed &Content...");
    installedContent->setObjectName("actInstalledContent");
    connect(installedContent, &QAction::triggered, this, [this] { Guarded([this] { actInstalledContentExecute(); }, this); });
    QMenu* view = mnuMain->addMenu("&View");
    view->addActions({mnuToolbar, meuStatusBar});
    CreateThemeMenu(view);
    QMenu* help = mnuMain->addMenu("&Help");
    AddHelpContents(help);
    help->addAction(actHome);
    auto* aboutItem = help->addAction(ToolbarPicture(8), "&About Quillane");
    aboutItem->setObjectName("mnuAboutQuillane");
    connect(aboutItem, &QAction::triggered, actAbout, &QAction::trigger);
}

void TFrmMain::CreateToolbar() {
    tblMain = new QToolBar("Toolbar", this);
    tblMain->setObjectName("tblMain");
    tblMain->setMovable(false);
    tblMain->setFloatable(false);
    tblMain->setIconSize(QSize(32, 32));
    tblMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tblMain->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, tblMain);

    tblSkin = new QToolButton(tblMain);
    tblSkin->setObjectName("tblSkin");
    tblSkin->setText("Theme");
    tblSkin->setToolTip("Theme");
    tblSkin->setIcon(ToolbarPicture(12));
    tblSkin->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tblSkin->setMenu(popSkin);
    tblSkin->setPopupMode(QToolButton::MenuButtonPopup);
    connect(tblSkin, &QToolButton::clicked, this, [this] { tblSkinClick(); });

    tblMain->addAction(actInstall);
    tblMain->addAction(actPackMark);
    tblMain->addWidget(tblSkin);
    tblMain->addAction(actUpgrade);
    tblMain->addAction(actHome);
    tblMain->addAction(actAbout);
    FitToolbarButtons();
}

// At least the classic 74 x 52; wider and taller where a caption would not fit
// whole in this font and skin. A narrow window then moves a button behind the
// overflow button rather than cut its caption. The overflow button itself
// keeps its narrow size, or the toolbar would place it out of sight.
void TFrmMain::FitToolbarButtons() {
    for (QAction* action : tblMain->actions()) {
        QWidget* button = tblMain->widgetForAction(action);
        button->ensurePolished();
        button->setMinimumSize(QSize(74, 52).expandedTo(button->sizeHint()));
    }
}

void TFrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::StyleChange && tblMain) FitToolbarButtons();
}

void TFrmMain::CreateClientArea() {
    auto* client = new QSplitter(Qt::Horizontal, this);
    client->setObjectName("pnlClient");
    client->setChildrenCollapsible(false);

    treeModel = new CatalogueTreeModel(TreePicture(0), TreePicture(1), this);
    QWidget* treePanel = CreateFilteredTree(client);
    treWinksList->setObjectName("treWinksList");
    treWinksList->setModel(treeModel);
    treWinksList->setHeaderHidden(true);
    treWinksList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treWinksList->setIndentation(19);
    treWinksList->setUniformRowHeights(true);
    treWinksList->setIconSize(QSize(16, 16));
    treWinksList->setMinimumWidth(120);
    connect(treWinksList, &QTreeView::clicked, this, [this] { Guarded([this] { treWinksListClick(); }, this); });

    pnlPreview = new TPreviewArea(client);
    // Right-clicking the preview offers to save what it shows.
    pnlPreview->setContextMenuPolicy(Qt::ActionsContextMenu);
    pnlPreview->addActions({actSaveGif, actSavePictures, actExportChat});
    flsPreview = pnlPreview->flsPreview;
    connect(flsPreview, &TFlashView::StageReady, this, [this] { EndFlashPreview(flsPreview->MovieShown()); });
    shpImage = pnlPreview->shpImage;
    gifPrevew = pnlPreview->gifPrevew;

    client->addWidget(treePanel);
    client->addWidget(pnlPreview);
    client->setStretchFactor(1, 1);
    client->setSizes({192, 445});
    setCentralWidget(client);

    staOptState = new QStatusBar(this);
    staOptState->setObjectName("staOptState");
    staOptState->setSizeGripEnabled(true);
    statusPanel = new QLabel(staOptState);
    statusPanel->setObjectName("staOptStatePanel");
    // It shows names of packs and files from outside: never read as markup.
    statusPanel->setTextFormat(Qt::PlainText);
    staOptState->addWidget(statusPanel, 1);
    setStatusBar(staOptState);
}

QFileDialog& TFrmMain::SavePackListDialog() {
    if (!savePackList) {
        savePackList = MakeFileDialog(this, "savePackList", QFileDialog::AcceptSave, "Save Pack List As");
        savePackList->setNameFilter("*.mpl");
    }
    return *savePackList;
}

QFileDialog& TFrmMain::OpenPackListDialog() {
    if (!openPackList) {
        openPackList = MakeFileDialog(this, "openPackList", QFileDialog::AcceptOpen, "Open Pack List");
        openPackList->setNameFilter("*.mpl");
    }
    return *openPackList;
}

QFileDialog& TFrmMain::OpenPackDialog() {
    if (!opnPack) {
        opnPack = MakeFileDialog(this, "opnPack", QFileDialog::AcceptOpen, "Preview Pack File");
        SetPackFileFilters(*opnPack);
    }
    return *opnPack;
}

void TFrmMain::FormCreate() {
    FlashShown = true;
    Guarded([this] {
        meuStatusBar->setChecked(Global().ShowStatus);
        staOptState->setVisible(Global().ShowStatus);
        mnuToolbar->setChecked(Global().ShowToolbar);
        tblMain->setVisible(Global().ShowToolbar);
        LoadPackList(Global().CatalogueFile());
        BuildThemeMenu(Global().AppPath + "Skins/");
        Global().CheckFileAssociation();
    }, this);
}

void TFrmMain::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (painted_) return;
    painted_ = true;
    // Queued: the window's children finish painting first.
    QTimer::singleShot(0, this, [this] { FinishAfterFirstPaint(); });
}

void TFrmMain::FinishAfterFirstPaint() {
    // The desktop is given the icon in four sizes, each drawn from its SVG:
    // the window is not kept waiting for the taskbar's picture.
    setWindowIcon(ProgramIcon());
    // The clear button shows only once there is text, and its picture is looked
    // up in the desktop's icon theme, which is slow to read.
    edtFilter->setClearButtonEnabled(true);
}

void TFrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFrmMain::FormResize() {
    if (FlashShown) FocusFlashView();
}

void TFrmMain::FocusFlashView() {
    // Someone working in the tree or its filter keeps the keyboard there.
    const QWidget* focused = focusWidget();
    if (focused && treWinksList->parentWidget()->isAncestorOf(focused)) return;
    flsPreview->setFocus(Qt::OtherFocusReason);
}

QString TFrmMain::StatusText() const {
    return statusPanel->text();
}

void TFrmMain::SetStatusText(const QString& text) {
    statusPanel->setText(text);
}

void TFrmMain::SetActionsEnabled(bool value) {
    // Install only when there is a pack to install: a new catalogue comes with none chosen.
    const QModelIndex chosen = treWinksList->currentIndex();
    actInstall->setEnabled(value && (!OpenedPackFile.empty() || (chosen.isValid() && !treeModel->IsCategory(chosen))));
    actUpgrade->setEnabled(value);
}

void TFrmMain::ShowFlashView(bool flash) {
    FlashShown = flash;
    // A movie still on its way no longer speaks for the preview.
    if (!flash) previewTitle_.clear();
    gifPrevew->setVisible(!flash);
    shpImage->setVisible(!flash);
    // Only an opened pack file shows its emoticons; it shows them itself.
    pnlPreview->grdEmoticons->hide();
    pnlPreview->ShowNotice({});
    if (flash) {
        flsPreview->show();
        FocusFlashView();
    } else {
        flsPreview->Stop();
        // The picture's background covers the movie's view at once. Hiding the
        // web view takes longer than painting the picture, so it waits for the paint.
        QTimer::singleShot(0, flsPreview, [this] {
            if (!FlashShown) flsPreview->hide();
        });
    }
}

void TFrmMain::Exit1Click() {
    close();
}

}  // namespace quillane
