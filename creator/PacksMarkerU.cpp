#include "PacksMarkerU.h"

#include "DialogFilters.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "FitCaptions.h"
#include "PictureReading.h"
#include "FrmModContentU.h"
#include "WinksGlobal.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QDropEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <memory>

namespace quillane {
namespace {

const char* const kPictureFilter =
    "ALL (*.jpg;*.jpeg;*.png;*.bmp;*.gif)|*.jpg;*.jpeg;*.png;*.bmp;*.gif|Jpeg Image File (*.jpeg)|*.jpeg|"
    "Jpeg Image File (*.jpg)|*.jpg|Portable  Network Graphics (*.png)|*.png|Bitmaps (*.bmp)|*.bmp|"
    "GIF Image (*.gif)|*.gif";
const char* const kPackFilter =
    "Quillane Pack (*.QZK)|*.QZK|Quillane pack (*.QZC)|*.QZC|Quillane pack (*.CAB)|*.CAB|Messenger pack (*.mco)|*.mco";

struct Column {
    const char* title;
    int width;
};

int PathColumn(const QTreeWidget* list) {
    return list->columnCount() - 1;
}

QTreeWidget* MakeList(QWidget* page, const char* name, std::initializer_list<Column> columns) {
    auto* list = new QTreeWidget(page);
    list->setObjectName(name);
    list->setGeometry(8, 8, 409, 267);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const Column& column : columns) titles.append(column.title);
    list->setHeaderLabels(titles);
    list->header()->setStretchLastSection(false);
    int index = 0;
    for (const Column& column : columns) list->setColumnWidth(index++, column.width);
    list->setColumnHidden(PathColumn(list), true);
    return list;
}

QPushButton* MakeButton(QWidget* owner, const char* name, const QString& caption, int x, int y) {
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(name);
    button->setGeometry(x, y, 90, 25);
    return button;
}

QTreeWidgetItem* SelectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::string Text(const QTreeWidgetItem* row, int column) {
    return row->text(column).toStdString();
}

// The names, each on a line of its own after the message.
QString Lines(const std::vector<std::string>& names) {
    QString lines;
    for (const std::string& name : names) lines += "\n" + QString::fromStdString(name);
    return lines;
}

// The local files among dropped things, by their names as the file system
// holds them: a name that is not UTF-8 text stays as its bytes.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        files.push_back(path.toStdString());
    }
    return files;
}

// The extension that a pack filter's pattern names: "QZC" for "*.QZC".
QString ExtensionOf(const QString& filter) {
    const qsizetype dot = filter.lastIndexOf("*.");
    return dot < 0 ? QString() : filter.mid(dot + 2).remove(')');
}

}  // namespace

TFrmPacksCreator::TFrmPacksCreator(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmPacksCreator");
    setWindowTitle("Packs Creator");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(557, 364);
    setFont(QFont("MS Sans Serif", 8));
    CreateLists();
    CreateButtons();
    FollowTheLists();
    CreateDialogs();
    CreateKeys();
    FormCreate();
    FitCaptions(*this);
}

TFrmPacksCreator::~TFrmPacksCreator() {
    // The pages and the lists report their rows going while the window's parts are deleted.
    for (QObject* source : std::initializer_list<QObject*>{tabContent, lstEmoticons, lstDisPictures, lstEmoticons->model(),
                                                          lstDisPictures->model()}) {
        source->disconnect(this);
    }
}

void TFrmPacksCreator::CreateLists() {
    tabContent = new QTabWidget(this);
    tabContent->setObjectName("tabContent");
    tabContent->setTabPosition(QTabWidget::South);
    tabContent->setGeometry(0, 0, 557, 313);
    tabEmoticons = new QWidget;
    tabEmoticons->setObjectName("tabEmoticons");
    tabDipPicture = new QWidget;
    tabDipPicture->setObjectName("tabDipPicture");
    tabContent->addTab(tabEmoticons, "Emoticons");
    tabContent->addTab(tabDipPicture, "Display Pictures");
    lstEmoticons = MakeList(tabEmoticons, "lstEmoticons", {{"FileName", 100}, {"Type", 80}, {"Name", 100}, {"Key", 100}, {"", 0}});
    lstDisPictures = MakeList(tabDipPicture, "lstDisPictures", {{"FileName", 120}, {"Type", 160}, {"Name", 120}, {"", 0}});
    for (QTreeWidget* list : {lstEmoticons, lstDisPictures}) {
        connect(list, &QTreeWidget::itemClicked, this, [this, list] { Guarded([this, list] { lstEmoticonsClick(list); }, this); });
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { Guarded([this] { btnModfiyClick(); }, this); });
    }
}

void TFrmPacksCreator::CreateButtons() {
    btnAdd = MakeButton(this, "btnAdd", "Add", 440, 16);
    btnRemove = MakeButton(this, "btnRemove", "Remove", 440, 48);
    btnRemoveAll = MakeButton(this, "btnRemoveAll", "Remove All", 440, 80);
    btnModfiy = MakeButton(this, "btnModfiy", "Modify", 440, 112);
    btnExport = MakeButton(this, "btnExport", "Generate", 352, 328);
    btnExport->setToolTip("Generate a Pack");
    btnCancel = MakeButton(this, "btnCancel", "Cancel", 456, 328);
    btnCancel->setToolTip("Cancel");
    btnImportPidgin = MakeButton(this, "btnImportPidgin", "Import Pidgin Theme...", 8, 328);
    btnImportPidgin->resize(150, 25);
    btnImportPidgin->setToolTip("Add the emoticons of a Pidgin smiley theme");

    pnlImage = new QFrame(this);
    pnlImage->setObjectName("pnlImage");
    pnlImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlImage->setGeometry(434, 147, 105, 121);
    Image1 = new QLabel(pnlImage);
    Image1->setObjectName("Image1");
    Image1->setScaledContents(true);
    Image1->setGeometry(pnlImage->contentsRect());

    connect(btnAdd, &QPushButton::clicked, this, [this] { Guarded([this] { btnAddClick(); }, this); });
    connect(btnRemove, &QPushButton::clicked, this, [this] { Guarded([this] { btnRemoveClick(); }, this); });
    connect(btnRemoveAll, &QPushButton::clicked, this, [this] { Guarded([this] { btnRemoveAllClick(); }, this); });
    connect(btnModfiy, &QPushButton::clicked, this, [this] { Guarded([this] { btnModfiyClick(); }, this); });
    connect(btnExport, &QPushButton::clicked, this, [this] { Guarded([this] { btnExportClick(); }, this); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { Guarded([this] { btnCancelClick(); }, this); });
    connect(btnImportPidgin, &QPushButton::clicked, this, [this] { Guarded([this] { btnImportPidginClick(); }, this); });
}

void TFrmPacksCreator::CreateDialogs() {
    opnImage = new QFileDialog(this, "Add Pictures");
    opnImage->setObjectName("opnImage");
    opnImage->setOption(QFileDialog::DontUseNativeDialog);
    opnImage->setAcceptMode(QFileDialog::AcceptOpen);
    opnImage->setFileMode(QFileDialog::ExistingFiles);
    SetDialogFilter(*opnImage, kPictureFilter);
    CloseCompletionsWithDialog(*opnImage);

    savPack = new QFileDialog(this, "Save Pack As");
    savPack->setObjectName("savPack");
    savPack->setOption(QFileDialog::DontUseNativeDialog);
    savPack->setAcceptMode(QFileDialog::AcceptSave);
    savPack->setFileMode(QFileDialog::AnyFile);
    SetDialogFilter(*savPack, kPackFilter);
    CloseCompletionsWithDialog(*savPack);
    // A name typed without an extension takes the one of the chosen type.
    savPack->setDefaultSuffix(ExtensionOf(savPack->selectedNameFilter()));
    connect(savPack, &QFileDialog::filterSelected, savPack,
            [this](const QString& filter) { savPack->setDefaultSuffix(ExtensionOf(filter)); });

    CreateThemeDialog();
}

void TFrmPacksCreator::CreateKeys() {
    tabContent->setAccessibleName("Pictures of the pack");
    tabContent->tabBar()->setAccessibleName("Pages");
    lstEmoticons->setAccessibleName("Emoticons");
    lstDisPictures->setAccessibleName("Display pictures");
    Image1->setAccessibleName("Picture");
    Image1->setAccessibleDescription("The selected picture");
    for (QTreeWidget* list : {lstEmoticons, lstDisPictures}) {
        list->setAccessibleDescription("Delete removes the selected picture; Enter changes its name and shortcut.");
        auto* remove = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(remove, &QShortcut::activated, this, [this] { Guarded([this] { btnRemoveClick(); }, this); });
        // Enter is the double click of the keyboard, not the window's first button.
        for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
            auto* modify = new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut);
            connect(modify, &QShortcut::activated, this, [this] { Guarded([this] { btnModfiyClick(); }, this); });
        }
        // A row reached with the arrow keys shows its picture as a clicked one does; a click shows it itself.
        connect(list, &QTreeWidget::currentItemChanged, this, [this, list] {
            if (list->hasFocus() && !mouseOnList_) Guarded([this, list] { lstEmoticonsClick(list); }, this);
        });
    }
    // The lists first, then the buttons beside them, then those at the bottom from left to right.
    const std::initializer_list<QWidget*> order = {tabContent->tabBar(), lstEmoticons, lstDisPictures, btnAdd, btnRemove, btnRemoveAll,
                                                   btnModfiy, btnImportPidgin, btnExport, btnCancel};
    for (auto control = order.begin(); control + 1 != order.end(); ++control) setTabOrder(*control, *(control + 1));
}

void TFrmPacksCreator::FormCreate() {
    skinPacksCreator.ApplyGlobalSkin();
    tabContent->setCurrentWidget(tabEmoticons);
}

bool TFrmPacksCreator::EmoticonsPageActive() const {
    return tabContent->currentWidget() == tabEmoticons;
}

QTreeWidget* TFrmPacksCreator::ActiveList() const {
    return EmoticonsPageActive() ? lstEmoticons : lstDisPictures;
}

void TFrmPacksCreator::btnAddClick() {
    StartInLastFolder(*opnImage, "AddPictures");
    const bool accepted = opnImage->exec() == QDialog::Accepted;
    // The dialog cannot show such pictures at all, so the user learns here why they are missing.
    ReportUnnamable(PicturesNamedInACodePage(opnImage->directory().absolutePath().toStdString()));
    if (!accepted) return;
    std::vector<QTreeWidgetItem*> added;
    for (const QString& path : opnImage->selectedFiles()) added.push_back(AddPicture(ActiveList(), path.toStdString()));
    WarnOfTakenShortcuts(added);
}

QTreeWidgetItem* TFrmPacksCreator::AddPicture(QTreeWidget* list, const std::string& path) {
    const QString name = QString::fromStdString(DefaultName(FileNameOf(path)));
    return AddRow(list, path, name, "/" + name);
}

QTreeWidgetItem* TFrmPacksCreator::AddRow(QTreeWidget* list, const std::string& path, const QString& name, const QString& key) {
    const bool emoticons = list == lstEmoticons;
    QStringList values = {QString::fromStdString(FileNameOf(path)), emoticons ? "Emoticon" : "Display Picture", name};
    if (emoticons) values.append(key);
    values.append(QString::fromStdString(path));
    return new QTreeWidgetItem(list, values);
}

void TFrmPacksCreator::ReportUnnamable(const std::vector<std::string>& names) {
    if (names.empty()) return;
    ShowMessageBox(this, QMessageBox::Warning,
                         "These pictures cannot be added because their file names are not UTF-8 text. "
                         "Please rename them and add them again:" + Lines(names));
}

bool TFrmPacksCreator::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* list = watched == lstEmoticons->viewport()      ? lstEmoticons
                        : watched == lstDisPictures->viewport() ? lstDisPictures
                                                                : nullptr;
    if (!list) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) mouseOnList_ = true;
    if (event->type() == QEvent::MouseButtonRelease) mouseOnList_ = false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!DroppedFiles(drag->mimeData()).empty()) drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::vector<std::string> files = DroppedFiles(drop->mimeData());
        if (files.empty()) return true;
        drop->acceptProposedAction();
        Guarded([&] { AddDroppedFiles(list, files); }, this);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmPacksCreator::AddDroppedFiles(QTreeWidget* list, const std::vector<std::string>& files) {
    const TPictureFiles sorted = SortPictureFiles(files);
    std::vector<QTreeWidgetItem*> added;
    for (const std::string& path : sorted.pictures) added.push_back(AddPicture(list, path));
    WarnOfTakenShortcuts(added);
    ReportUnnamable(sorted.unnamable);
    if (!sorted.notPictures.empty()) {
        ShowMessageBox(this, QMessageBox::Warning,
                             "These files cannot be added because they are not JPEG, PNG, BMP or GIF pictures:" +
                                 Lines(sorted.notPictures));
    }
}

void TFrmPacksCreator::btnRemoveClick() {
    QTreeWidget* list = ActiveList();
    if (QTreeWidgetItem* row = SelectedRow(list)) {
        std::unique_ptr<QTreeWidgetItem> removed(list->takeTopLevelItem(list->indexOfTopLevelItem(row)));
    }
    ShowPictureOfPage();
}

void TFrmPacksCreator::btnRemoveAllClick() {
    ActiveList()->clear();
    ShowPictureOfPage();
}

void TFrmPacksCreator::btnModfiyClick() {
    TFrmModContent dialog(this);
    const bool emoticons = EmoticonsPageActive();
    QTreeWidgetItem* row = SelectedRow(ActiveList());
    if (!row) return;
    dialog.edtName->setText(row->text(kNameColumn));
    if (emoticons) {
        dialog.edtKey->setText(row->text(kKeyColumn));
        dialog.WatchShortcut([this, row](const QString& key) { return ShortcutTakenText(key, row); });
    } else {
        dialog.edtKey->hide();
        dialog.labKey->hide();
    }
    if (dialog.exec() != QDialog::Accepted) return;
    row->setText(kNameColumn, dialog.EnteredName);
    if (emoticons) row->setText(kKeyColumn, dialog.EnteredKey);
}

void TFrmPacksCreator::lstEmoticonsClick(QTreeWidget* list) {
    // Only the active page's list can be clicked.
    const QTreeWidgetItem* row = SelectedRow(list);
    if (!row) return;
    const QString path = row->text(PathColumn(list));
    QString failure;
    const QImage picture = ReadPictureFile(path, &failure);
    if (picture.isNull()) {
        ShowMessageBox(this, QMessageBox::Critical, "Invalid file format:" + failure + " Please remove it.");
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
}

void TFrmPacksCreator::ShowPictureOfPage() {
    const QTreeWidget* list = ActiveList();
    const QTreeWidgetItem* row = SelectedRow(list);
    // A picture that cannot be read was reported when it was clicked.
    const QImage picture = row ? ReadPictureFile(row->text(PathColumn(list))) : QImage();
    if (picture.isNull()) {
        Image1->clear();
    } else {
        Image1->setPixmap(QPixmap::fromImage(picture));
    }
}

void TFrmPacksCreator::btnCancelClick() {
    reject();
}

int TFrmPacksCreator::PictureCount() const {
    return lstEmoticons->topLevelItemCount() + lstDisPictures->topLevelItemCount();
}

TPackContents TFrmPacksCreator::Contents() const {
    TPackContents contents;
    for (int i = 0; i < lstEmoticons->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstEmoticons->topLevelItem(i);
        contents.Emoticons.push_back({Text(row, kNameColumn), Text(row, kKeyColumn), Text(row, PathColumn(lstEmoticons))});
    }
    for (int i = 0; i < lstDisPictures->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstDisPictures->topLevelItem(i);
        contents.DisplayPictures.push_back({Text(row, kNameColumn), "", Text(row, PathColumn(lstDisPictures))});
    }
    return contents;
}

void TFrmPacksCreator::SetEditable(bool editable) {
    for (QWidget* control : std::initializer_list<QWidget*>{lstEmoticons, lstDisPictures, btnAdd, btnRemove,
                                                            btnRemoveAll, btnModfiy, btnExport, btnImportPidgin}) {
        control->setEnabled(editable);
    }
    if (editable) UpdateButtons();
}

void RunPacksCreator(QWidget* owner) {
    TFrmPacksCreator window(owner);
    window.exec();
}

}  // namespace quillane
