#pragma once

#include "BackgroundJob.h"
#include "ContentStore.h"
#include "SkinEngine.h"

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quillane {

// What the content store holds: one row per installed pack, and the items of
// the selected pack with their pictures. Removes packs, shows a pack's folder,
// exports emoticons as Pidgin smiley themes and, through the main window, a
// pack for a chat program; the pack list's menu holds the same. It stays open
// beside the main window and reads the store again whenever it is activated.
class TFrmInstalledContent : public QDialog {
    Q_OBJECT
public:
    // Opens the store in the folder; raises EContentStoreError when it cannot be opened.
    explicit TFrmInstalledContent(const std::string& storeFolder, QWidget* parent = nullptr);

    // Reads the store again and shows its packs anew when they changed,
    // keeping the packs that were selected.
    void Reload();

    // What Export for a Chat Program does with the selected pack, over this
    // window. Without it the window offers no such export.
    using TChatExport = std::function<void(const TStoredPack& pack, const std::string& storeFolder, QWidget* over)>;
    void SetChatExport(TChatExport exportForChat);

protected:
    bool event(QEvent* event) override;

private:
    void CreateControls();
    void ShowPacks();
    void ShowItems();
    void UpdateButtons();
    const TStoredPack* FindPack(int id) const;
    // Copies: a reload replaces the packs they came from.
    std::vector<TStoredPack> SelectedPacks() const;

    void btnRemoveClick();
    // What a removal reports when it has ended.
    void RemovalEnded(const QStringList& failures);
    void btnOpenFolderClick();
    void btnExportPidginClick();
    void btnExportChatClick();
    // The pack list's menu: the buttons' actions on the selected packs.
    void ShowPackMenu(const QPoint& at);

    // A question with Yes and No; No unless the user says Yes.
    bool Ask(const QString& question);
    void Report(QMessageBox::Icon icon, const QString& text);

    TContentStore store;
    std::vector<TStoredPack> packs;

    QTreeWidget* lstPacks;
    // Said in the list's place while the store holds no pack.
    QLabel* lblNothingInstalled;
    QTreeWidget* lstItems;
    QPushButton* btnRemove;
    QPushButton* btnOpenFolder;
    QPushButton* btnExportPidgin;
    QPushButton* btnExportChat;
    TChatExport chatExport;
    QPushButton* btnRefresh;
    QPushButton* btnClose;
    // Says that a removal waits for the store, which an install holds.
    QLabel* lblStoreBusy;
    // Removes packs off the window's thread: the store may be busy with a long
    // install. Declared after the store, so that it is waited for first.
    std::unique_ptr<TBackgroundJob> removal;
    TSkinEngine skinInstalledContent{this};
};

// Shows the window over the user's content store beside the owner, the one
// already open if there is one, and returns it. Raises EContentStoreError
// when the store cannot be opened.
TFrmInstalledContent* ShowInstalledContent(QWidget* owner);

}  // namespace quillane
