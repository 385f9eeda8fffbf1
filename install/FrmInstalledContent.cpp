#include "FrmInstalledContent.h"

#include "ErrorBox.h"
#include "PackDescription.h"
#include "PictureReading.h"
#include "StillPicture.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

namespace quillane {
namespace {

// Pictures larger than this are shown scaled down; emoticons keep their size.
constexpr int kPictureBox = 48;
constexpr int kPackIdRole = Qt::UserRole;
constexpr int kColumnGap = 16;
constexpr int kRowGap = 6;
// How long a removal may wait for the store before the window says why.
constexpr int kBusyAfter = 300;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString InstalledWhen(const TStoredPack& pack) {
    if (pack.installed.empty()) return "unknown";
    return QDateTime::fromString(Text(pack.installed), Qt::ISODate).toLocalTime().toString("yyyy-MM-dd HH:mm");
}

// The picture file itself, or the still picture that a cabinet (a wink's) holds beside its movie.
QMovie* OpenItemPicture(const std::string& file, QObject* parent) {
    if (QMovie* picture = OpenPictureMovie(Text(file), parent, kPictureBox)) return picture;
    const auto still = StillPictureInCabinet(file);
    return still ? OpenPictureMovieOf(QByteArray::fromStdString(*still), parent, kPictureBox) : nullptr;
}

// The item's picture, animated when it is (as emoticons are); empty for an
// item without one, such as a wink whose cabinet holds only its movie.
QLabel* PictureOf(const std::string& file, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName("picture");
    label->setAlignment(Qt::AlignCenter);
    QMovie* movie = OpenItemPicture(file, label);
    if (!movie || !movie->jumpToFrame(0)) {
        delete movie;
        return label;
    }
    // At least the picture's size; the row may give it more, and it stays in the middle, as the texts do.
    label->setMinimumSize(movie->currentImage().size());
    label->setMovie(movie);
    movie->start();
    return label;
}

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QTreeWidget* MakeList(const QStringList& columns, const char* name, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setAlternatingRowColors(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

// Every column as wide as its widest text and a little more, so that
// neighbouring columns do not run into each other; the user may resize them.
void FitColumns(QTreeWidget* list) {
    for (int column = 0; column + 1 < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
        list->setColumnWidth(column, list->columnWidth(column) + kColumnGap);
    }
}

}  // namespace

TFrmInstalledContent::TFrmInstalledContent(const std::string& storeFolder, QWidget* parent)
    : QDialog(parent), store(storeFolder) {
    setObjectName("FrmInstalledContent");
    setWindowTitle("Installed Content");
    resize(680, 480);
    CreateControls();
    skinInstalledContent.ApplyGlobalSkin();
    packs = store.Packs();
    ShowPacks();
}

void TFrmInstalledContent::CreateControls() {
    auto* lists = new QSplitter(Qt::Vertical, this);
    lists->setChildrenCollapsible(false);
    lstPacks = MakeList({"Pack", "Installed", "Contents"}, "lstPacks", lists);
    lstPacks->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblNothingInstalled = new QLabel("Nothing installed yet.", lstPacks->viewport());
    lblNothingInstalled->setObjectName("lblNothingInstalled");
    lblNothingInstalled->hide();
    auto* overList = new QVBoxLayout(lstPacks->viewport());
    overList->addWidget(lblNothingInstalled, 0, Qt::AlignHCenter | Qt::AlignTop);
    lstItems = MakeList({"Picture", "Kind", "Name", "Shortcut"}, "lstItems", lists);
    lstItems->setSelectionMode(QAbstractItemView::NoSelection);
    lstItems->header()->setMinimumSectionSize(kPictureBox + kColumnGap);
    // Few packs, and many items in each.
    lists->setSizes({150, 330});
    lstPacks->setAccessibleName("Installed packs");
    lstPacks->setAccessibleDescription("The packs installed to MSN. Delete removes the selected packs.");
    lstItems->setAccessibleName("Items of the pack");
    lstItems->setAccessibleDescription("The emoticons, winks and display pictures of the selected pack");

    btnRemove = MakeButton("Remove", "btnRemove", this);
    btnOpenFolder = MakeButton("Open Folder", "btnOpenFolder", this);
    btnExportPidgin = MakeButton("Export to Pidgin...", "btnExportPidgin", this);
    btnExportChat = MakeButton("Export for a Chat Program...", "btnExportChat", this);
    btnExportChat->hide();
    btnRefresh = MakeButton("Refresh", "btnRefresh", this);
    btnClose = MakeButton("Close", "btnClose", this);
    lblStoreBusy = new QLabel("The content store is busy with an install. The pack is removed as soon as the install "
                              "has finished.", this);
    lblStoreBusy->setObjectName("lblStoreBusy");
    lblStoreBusy->setWordWrap(true);
    lblStoreBusy->hide();
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {btnRemove, btnOpenFolder, btnExportPidgin, btnExportChat}) buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnRefresh);
    buttons->addWidget(btnClose);
    auto* columns = new QHBoxLayout;
    columns->addWidget(lists, 1);
    columns->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(lblStoreBusy);

    connect(lstPacks, &QTreeWidget::itemSelectionChanged, this, [this] {
        ShowItems();
        UpdateButtons();
    });
    connect(btnRemove, &QPushButton::clicked, this, [this] { Guarded([this] { btnRemoveClick(); }, this); });
    connect(btnOpenFolder, &QPushButton::clicked, this, [this] { Guarded([this] { btnOpenFolderClick(); }, this); });
    connect(btnExportPidgin, &QPushButton::clicked, this, [this] { Guarded([this] { btnExportPidginClick(); }, this); });
    connect(btnExportChat, &QPushButton::clicked, this, [this] { Guarded([this] { btnExportChatClick(); }, this); });
    lstPacks->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstPacks, &QWidget::customContextMenuRequested, this, &TFrmInstalledContent::ShowPackMenu);
    connect(btnRefresh, &QPushButton::clicked, this, [this] { Guarded([this] { Reload(); }, this); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    // Delete on the list is Remove, with its question.
    auto* remove = new QShortcut(QKeySequence::Delete, lstPacks, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, btnRemove, [this] {
        if (btnRemove->isEnabled()) btnRemove->click();
    });
}

bool TFrmInstalledContent::event(QEvent* event) {
    // Installs made meanwhile, by the main window or another copy of the program, show at once.
    if (event->type() == QEvent::WindowActivate) Guarded([this] { Reload(); }, this);
    return QDialog::event(event);
}

void TFrmInstalledContent::Reload() {
    auto read = store.Packs();
    // Rebuilding the lists would restart every animation for nothing.
    if (read == packs) return;
    packs = std::move(read);
    ShowPacks();
}

void TFrmInstalledContent::ShowPacks() {
    std::set<int> selected;
    for (const auto& pack : SelectedPacks()) selected.insert(pack.id);
    const QSignalBlocker quiet(lstPacks);
    lstPacks->clear();
    for (const auto& pack : packs) {
        auto* row = new QTreeWidgetItem(lstPacks, {Text(PackTitle(pack)), InstalledWhen(pack), Text(ContentsText(pack))});
        row->setData(0, kPackIdRole, pack.id);
        if (selected.count(pack.id)) row->setSelected(true);
    }
    FitColumns(lstPacks);
    lblNothingInstalled->setVisible(packs.empty());
    if (lstPacks->selectedItems().isEmpty() && lstPacks->topLevelItemCount() > 0) {
        lstPacks->topLevelItem(0)->setSelected(true);
    }
    if (!lstPacks->selectedItems().isEmpty()) {
        lstPacks->setCurrentItem(lstPacks->selectedItems().front(), 0, QItemSelectionModel::NoUpdate);
    }
    ShowItems();
    UpdateButtons();
}

void TFrmInstalledContent::ShowItems() {
    lstItems->clear();
    const auto selected = SelectedPacks();
    if (selected.empty()) return;
    // With several packs selected, the one the user came to last.
    const QTreeWidgetItem* current = lstPacks->currentItem();
    const int id = current && current->isSelected() ? current->data(0, kPackIdRole).toInt() : selected.front().id;
    const TStoredPack* pack = FindPack(id);
    if (!pack) return;
    for (const auto& item : pack->items) {
        const QString shortcut = item.type == "emoticon" ? Text(item.shortcut) : QString();
        auto* row = new QTreeWidgetItem(lstItems, {QString(), Text(KindName(item.type)), Text(item.name), shortcut});
        QLabel* picture = PictureOf(store.Folder() + item.file, lstItems);
        row->setSizeHint(0, picture->sizeHint() + QSize(kColumnGap, kRowGap));
        lstItems->setItemWidget(row, 0, picture);
    }
    FitColumns(lstItems);
}

void TFrmInstalledContent::UpdateButtons() {
    const auto selected = SelectedPacks();
    // One removal at a time, and no export of what it may be taking away.
    const bool idle = !removal;
    btnRemove->setEnabled(idle && !selected.empty());
    btnOpenFolder->setEnabled(selected.size() == 1);
    btnExportPidgin->setEnabled(idle && std::any_of(selected.begin(), selected.end(), HoldsEmoticons));
    btnExportChat->setEnabled(idle && selected.size() == 1);
}

const TStoredPack* TFrmInstalledContent::FindPack(int id) const {
    const auto pack = std::find_if(packs.begin(), packs.end(), [id](const TStoredPack& stored) { return stored.id == id; });
    return pack == packs.end() ? nullptr : &*pack;
}

std::vector<TStoredPack> TFrmInstalledContent::SelectedPacks() const {
    std::vector<TStoredPack> selected;
    for (const QTreeWidgetItem* row : lstPacks->selectedItems()) {
        if (const TStoredPack* pack = FindPack(row->data(0, kPackIdRole).toInt())) selected.push_back(*pack);
    }
    return selected;
}

void TFrmInstalledContent::btnRemoveClick() {
    const auto selected = SelectedPacks();
    if (selected.empty() || removal) return;
    const QString question =
        selected.size() == 1
            ? QString("Remove %1 (%2) and delete its files?").arg(Text(PackTitle(selected.front())),
                                                                  Text(ContentsText(selected.front())))
            : QString("Remove the %1 selected packs and delete their files?").arg(selected.size());
    if (!Ask(question)) return;
    auto failures = std::make_shared<QStringList>();
    removal = std::make_unique<TBackgroundJob>([this, selected, failures]() {
        for (const auto& pack : selected) {
            try {
                store.Remove(pack);
            } catch (const EContentStoreError& error) {
                *failures << Text(PackTitle(pack)) + ": " + Text(error.what()) + ".";
            }
        }
    });
    connect(removal.get(), &TBackgroundJob::Finished, this, [this, failures] { RemovalEnded(*failures); });
    for (QPushButton* button : {btnRemove, btnExportPidgin, btnExportChat, btnRefresh}) button->setEnabled(false);
    removal->Start();
    // A removal waits only while an install holds the store; the window says so.
    QTimer::singleShot(kBusyAfter, lblStoreBusy, [this] {
        if (removal && removal->Running()) lblStoreBusy->show();
    });
}

void TFrmInstalledContent::RemovalEnded(const QStringList& failures) {
    removal.release()->deleteLater();
    lblStoreBusy->hide();
    btnRefresh->setEnabled(true);
    Reload();
    UpdateButtons();
    if (!failures.isEmpty()) Report(QMessageBox::Warning, failures.join("\n"));
}

void TFrmInstalledContent::btnOpenFolderClick() {
    const auto selected = SelectedPacks();
    if (selected.size() != 1) return;
    const std::string folder = store.PackFolder(selected.front().id);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        Report(QMessageBox::Warning, "The folder of " + Text(PackTitle(selected.front())) + " is missing: " + Text(folder));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(Text(folder)))) {
        Report(QMessageBox::Warning, "No file manager could be started to show " + Text(folder));
    }
}

bool TFrmInstalledContent::Ask(const QString& question) {
    return ShowMessageBox(this, QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TFrmInstalledContent::Report(QMessageBox::Icon icon, const QString& text) { ShowMessageBox(this, icon, text); }

TFrmInstalledContent* ShowInstalledContent(QWidget* owner) {
    auto* window = owner->findChild<TFrmInstalledContent*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TFrmInstalledContent(TContentStore::DefaultFolder(), owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->Reload();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace quillane
