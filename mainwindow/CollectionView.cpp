#include "CollectionView.h"

#include "CollectionScan.h"

#include <QEvent>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <utility>

namespace quillane {
namespace {

// How often the window takes what the scan has found: rows come in batches
// that keep the list moving without redrawing it for every file.
constexpr int kPollMs = 100;
// A burst of changes in the folder is read again once, after it.
constexpr int kChangeSettleMs = 500;
// The rows added in one turn of the window's loop.
constexpr std::size_t kRowsPerTurn = 2000;

QTreeView* MakeList(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* list = new QTreeView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSortingEnabled(true);
    list->setIconSize(QSize(32, 32));
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    list->header()->setStretchLastSection(true);
    return list;
}

TCollectionView::TFileMark MarkOf(const TCollectedFile& file) {
    return {file.path, file.bytes, file.modified, file.problem};
}

QString FolderName(const std::string& folder) {
    return QString::fromLocal8Bit(QByteArray::fromStdString(folder));
}

}  // namespace

TCollectionView::TCollectionView(QWidget* parent)
    : QWidget(parent), model_(new TCollectionModel(this)), packs_(new TCollectionFilter(true, this)),
      problems_(new TCollectionFilter(false, this)), poll_(new QTimer(this)),
      changed_(new QTimer(this)), watcher_(new QFileSystemWatcher(this)) {
    setObjectName("pnlCollection");
    packs_->setSourceModel(model_);
    problems_->setSourceModel(model_);

    lblCollection = new QLabel(this);
    lblCollection->setObjectName("lblCollection");
    lblCollection->setTextFormat(Qt::PlainText);
    // A long folder name breaks over lines rather than widen the list.
    lblCollection->setWordWrap(true);
    btnCloseCollection = new QPushButton("&Back to the Catalogue", this);
    btnCloseCollection->setObjectName("btnCloseCollection");
    prgScan = new QProgressBar(this);
    prgScan->setObjectName("prgScan");
    prgScan->setFormat("%v of %m files");
    btnCancelScan = new QPushButton("Cancel", this);
    btnCancelScan->setObjectName("btnCancelScan");

    lstCollection = MakeList(this, "lstCollection", packs_);
    lstCollection->sortByColumn(TCollectionModel::Title, Qt::AscendingOrder);
    lstCollection->setColumnHidden(TCollectionModel::Problem, true);
    lstCollection->setColumnWidth(TCollectionModel::Title, 200);
    lstCollection->setAccessibleName("Packs in the folder");
    lblProblems = new QLabel(this);
    lblProblems->setObjectName("lblProblems");
    lstProblems = MakeList(this, "lstProblems", problems_);
    lstProblems->sortByColumn(TCollectionModel::Path, Qt::AscendingOrder);
    for (const int column : {TCollectionModel::Title, TCollectionModel::Kind, TCollectionModel::Items, TCollectionModel::Copies}) {
        lstProblems->setColumnHidden(column, true);
    }
    // A problem is read as "this file: why", then how large it is.
    lstProblems->header()->moveSection(lstProblems->header()->visualIndex(TCollectionModel::Path), 0);
    lstProblems->header()->moveSection(lstProblems->header()->visualIndex(TCollectionModel::Problem), 1);
    lstProblems->setColumnWidth(TCollectionModel::Path, 200);
    lstProblems->setAccessibleName("Files that are no pack that can be read");
    prgScan->setAccessibleName("Reading the folder");
    lstProblems->setColumnWidth(TCollectionModel::Problem, 260);

    auto* top = new QHBoxLayout;
    top->addWidget(lblCollection, 1);
    top->addWidget(btnCloseCollection);
    auto* progress = new QHBoxLayout;
    progress->addWidget(prgScan, 1);
    progress->addWidget(btnCancelScan);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(lstCollection);
    auto* problemsPanel = new QWidget(split);
    auto* problemsLayout = new QVBoxLayout(problemsPanel);
    problemsLayout->setContentsMargins(0, 0, 0, 0);
    problemsLayout->addWidget(lblProblems);
    problemsLayout->addWidget(lstProblems, 1);
    split->addWidget(problemsPanel);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addLayout(progress);
    layout->addWidget(split, 1);

    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, [this] { Feed(); });
    changed_->setSingleShot(true);
    changed_->setInterval(kChangeSettleMs);
    connect(changed_, &QTimer::timeout, this, [this] { StartScan(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { ReadAgainSoon(); });

    connect(btnCancelScan, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        if (scan_) scan_->Stop();
    });
    connect(btnCloseCollection, &QPushButton::clicked, this, &TCollectionView::CloseAsked);
    connect(lstCollection, &QTreeView::clicked, this, [this] { ChooseHighlighted(); });
    // As in the tree, the pack the keys reach is previewed at once; the
    // reading of a pack left behind is given up.
    connect(lstCollection->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        // The window keeps its focus widget while it is not the active one.
        if (window()->focusWidget() == lstCollection) ChooseHighlighted();
    });
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* install = new QShortcut(QKeySequence(key), lstCollection, nullptr, nullptr, Qt::WidgetShortcut);
        connect(install, &QShortcut::activated, this, [this] {
            if (HighlightedPack().empty()) return;
            emit InstallAsked();
        });
    }
    prgScan->hide();
    btnCancelScan->hide();
}

TCollectionView::~TCollectionView() {
    if (scan_) scan_->Stop();
}

void TCollectionView::Open(const std::string& folder) {
    Close();
    folder_ = folder;
    StartScan();
}

void TCollectionView::Close() {
    if (scan_) scan_->Stop();
    job_.reset();
    poll_->stop();
    changed_->stop();
    folder_.clear();
    chosen_.clear();
    model_->Clear();
    pending_.clear();
    shown_.clear();
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    again_ = false;
    cancelled_ = false;
}

void TCollectionView::StartScan() {
    if (job_ || folder_.empty()) return;
    scan_ = std::make_shared<TCollectionScan>(folder_);
    pending_.clear();
    readAgain_.clear();
    workDone_ = false;
    // The job runs below the window's priority, and so do the threads the scan starts.
    job_ = std::make_unique<TBackgroundJob>([scan = scan_] { scan->Run(); });
    connect(job_.get(), &TBackgroundJob::Finished, this, [this] {
        workDone_ = true;
        Feed();
    });
    if (!again_) {
        prgScan->setRange(0, 0);
        prgScan->show();
        btnCancelScan->show();
        lblCollection->setText("Reading " + FolderName(folder_) + "...");
    }
    poll_->start();
    job_->Start();
}

void TCollectionView::Feed() {
    if (!job_) return;
    std::vector<TCollectedFile> found = scan_->TakeFound();
    std::vector<TCollectedFile>& into = again_ ? readAgain_ : pending_;
    std::move(found.begin(), found.end(), std::back_inserter(into));
    if (again_ && workDone_ && !readAgain_.empty()) {
        // Read again, the folder shows as before unless a file came, went or changed.
        std::vector<TFileMark> marks;
        for (const TCollectedFile& file : readAgain_) marks.push_back(MarkOf(file));
        std::sort(marks.begin(), marks.end());
        if (marks != shown_) {
            highlightAfter_ = lstCollection->currentIndex().data(TCollectionModel::PathRole).toByteArray().toStdString();
            model_->Clear();
            shown_.clear();
            pending_ = std::move(readAgain_);
        }
        readAgain_.clear();
    }
    // A few thousand rows a turn: the window answers between them.
    const std::size_t count = std::min(pending_.size(), kRowsPerTurn);
    std::vector<TCollectedFile> rows(std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.begin() + count));
    pending_.erase(pending_.begin(), pending_.begin() + count);
    for (const TCollectedFile& file : rows) shown_.push_back(MarkOf(file));
    model_->Add(std::move(rows));
    if (scan_->Total() > 0 && !again_) {
        prgScan->setRange(0, static_cast<int>(scan_->Total()));
        prgScan->setValue(static_cast<int>(scan_->Done()));
    }
    ShowCounts();
    if (!pending_.empty()) {
        QTimer::singleShot(0, this, [this] { Feed(); });
    } else if (workDone_) {
        EndScan();
    }
}

void TCollectionView::EndScan() {
    poll_->stop();
    std::sort(shown_.begin(), shown_.end());
    if (!highlightAfter_.empty()) {
        const QModelIndex row = packs_->mapFromSource(model_->IndexOfPath(std::exchange(highlightAfter_, {})));
        if (row.isValid()) lstCollection->setCurrentIndex(row);
    }
    prgScan->hide();
    btnCancelScan->hide();
    QStringList folders;
    for (const std::string& below : scan_->Folders()) {
        folders << FolderName(below.empty() ? folder_ : folder_ + "/" + below);
    }
    const std::string failure = scan_->Failure();
    job_.release()->deleteLater();
    const bool again = std::exchange(again_, true);
    if (!folders.isEmpty()) watcher_->addPaths(folders);
    ShowCounts();
    if (!failure.empty()) lblCollection->setText(QString::fromStdString(failure));
    emit ScanEnded(again);
}

void TCollectionView::ShowCounts() {
    const int problems = model_->Problems();
    QString text = FolderName(folder_) + ": " + QString::number(model_->Packs()) + " packs";
    if (Scanning() && !again_) text = "Reading " + text;
    if (cancelled_) text += " (reading cancelled)";
    lblCollection->setText(text);
    lblProblems->setText(QString::number(problems) + (problems == 1 ? " file is" : " files are") +
                         " no pack that can be read:");
    lblProblems->parentWidget()->setVisible(problems > 0);
}

// The files that are no pack stay listed whatever is typed: they are never hidden.
void TCollectionView::SetFilter(const QString& text) {
    packs_->SetFilter(text);
}

void TCollectionView::FocusList() {
    lstCollection->setFocus(Qt::ShortcutFocusReason);
    if (!lstCollection->currentIndex().isValid() && packs_->rowCount() > 0) {
        lstCollection->setCurrentIndex(packs_->index(0, 0));
        return;
    }
    // A row the filter made current was never previewed.
    if (HighlightedPack() != chosen_) ChooseHighlighted();
}

std::string TCollectionView::HighlightedPack() const {
    const QModelIndex row = lstCollection->currentIndex();
    if (!row.isValid()) return {};
    return folder_ + "/" + row.data(TCollectionModel::PathRole).toByteArray().toStdString();
}

void TCollectionView::ChooseHighlighted() {
    const std::string pack = HighlightedPack();
    if (pack.empty()) return;
    chosen_ = pack;
    emit PackChosen(pack);
}

void TCollectionView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // A file changed in place leaves its folder as it was: coming back to the
    // window reads the folder again, which the cache makes cheap.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ReadAgainSoon();
}

void TCollectionView::ReadAgainSoon() {
    if (!folder_.empty() && !cancelled_ && isVisible()) changed_->start();
}

}  // namespace quillane
