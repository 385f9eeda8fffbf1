#pragma once

#include "BackgroundJob.h"
#include "CollectionModel.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace quillane {

class TCollectionScan;

// A folder of packs shown as a collection beside the preview: its packs in a
// list that sorts by any column, the files that are no readable pack listed
// apart, and, while the folder is read, a progress bar and Cancel. Rows come
// as they are found; the folder is read again, from the cache, when it
// changes or the window comes back to the front.
class TCollectionView : public QWidget {
    Q_OBJECT
public:
    explicit TCollectionView(QWidget* parent);
    ~TCollectionView() override;

    // Shows the folder's packs, reading them off the window's thread.
    void Open(const std::string& folder);
    // Shows nothing any more, and reads nothing.
    void Close();
    const std::string& Folder() const { return folder_; }
    bool Scanning() const { return job_ != nullptr; }
    void SetFilter(const QString& text);
    // The keyboard goes to the list, onto the first pack unless one is highlighted.
    void FocusList();
    // The pack file of the highlighted row; empty when none is highlighted.
    std::string HighlightedPack() const;

    QLabel* lblCollection;
    QProgressBar* prgScan;
    QPushButton* btnCancelScan;
    QPushButton* btnCloseCollection;
    QTreeView* lstCollection;
    QLabel* lblProblems;
    QTreeView* lstProblems;

    // What tells a file shown from the same file changed.
    struct TFileMark {
        std::string path;
        std::uint64_t bytes;
        std::int64_t modified;
        std::string problem;
        auto operator<=>(const TFileMark&) const = default;
    };

signals:
    // A pack was clicked, or reached with the keys that have come to rest: preview it.
    void PackChosen(const std::string& path);
    // Enter on a pack.
    void InstallAsked();
    // Back to the catalogue.
    void CloseAsked();
    // A reading of the folder has ended, run to its end or cancelled; `again`
    // for a reading after a change rather than the opening's.
    void ScanEnded(bool again);

protected:
    void changeEvent(QEvent* event) override;

private:
    void StartScan();
    // Takes what the scan found and adds a turn's worth of it to the list.
    void Feed();
    void EndScan();
    void ChooseHighlighted();
    void ShowCounts();
    void ReadAgainSoon();

    TCollectionModel* model_;
    TCollectionFilter* packs_;
    TCollectionFilter* problems_;
    std::string folder_;
    // The pack last asked to be previewed.
    std::string chosen_;
    std::shared_ptr<TCollectionScan> scan_;
    std::unique_ptr<TBackgroundJob> job_;
    // A first reading shows rows as they come; a reading again swaps them all at its end.
    bool again_ = false;
    // Cancel means no more reading, until the folder is opened again.
    bool cancelled_ = false;
    std::vector<TCollectedFile> readAgain_;
    // Found, not yet in the list.
    std::vector<TCollectedFile> pending_;
    bool workDone_ = false;
    // The files in the list, sorted once the list is whole.
    std::vector<TFileMark> shown_;
    // The row to highlight again once a list made anew is whole.
    std::string highlightAfter_;
    QTimer* poll_;
    QTimer* changed_;
    QFileSystemWatcher* watcher_;
};

}  // namespace quillane
