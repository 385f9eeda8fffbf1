#pragma once

#include "PackContents.h"
#include "SkinEngine.h"

#include <QDialog>
#include <string>
#include <vector>

class QFileDialog;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillane {

// The Packs Creator: the user collects emoticons (name and shortcut) and
// display pictures (name) in two lists, edits them, and generates a pack.
class TFrmPacksCreator : public QDialog {
    Q_OBJECT
public:
    explicit TFrmPacksCreator(QWidget* parent = nullptr);
    ~TFrmPacksCreator() override;

    // Writes content.xml for the lists as they stand and returns its path.
    std::string WriteManifest();
    // Cancel, Escape and the close button: asks first when the lists hold
    // pictures and have changed since the window opened or last generated a pack.
    void reject() override;

    QTabWidget* tabContent;
    QWidget* tabEmoticons;
    QWidget* tabDipPicture;
    QTreeWidget* lstEmoticons;
    QTreeWidget* lstDisPictures;
    QPushButton* btnAdd;
    QPushButton* btnRemove;
    QPushButton* btnRemoveAll;
    QPushButton* btnModfiy;
    QFrame* pnlImage;
    QLabel* Image1;
    QPushButton* btnExport;
    QPushButton* btnCancel;
    QPushButton* btnImportPidgin;
    // Said in an empty list's place: how pictures come into it.
    QLabel* lblNoEmoticons;
    QLabel* lblNoDisPictures;
    QFileDialog* opnImage;
    QFileDialog* savPack;
    // Takes a theme's folder, or its "theme" file.
    QFileDialog* opnTheme;

protected:
    // Picture files dropped on a list are added to it as Add adds them.
    // Notes whether a mouse button is down on a list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Columns of both lists; the last one holds the full path and is not shown.
    static constexpr int kFileColumn = 0;
    static constexpr int kNameColumn = 2;
    static constexpr int kKeyColumn = 3;

    void CreateLists();
    void CreateButtons();
    // The buttons and the hints follow the lists' rows, their choice and the page on show.
    void FollowTheLists();
    void CreateDialogs();
    // The dialog that chooses a Pidgin smiley theme, opened where themes are.
    void CreateThemeDialog();
    // Delete and Enter on the lists, the Tab order, and the names screen readers say.
    void CreateKeys();
    void FormCreate();

    void btnAddClick();
    // A row for the picture at the end of the list.
    QTreeWidgetItem* AddPicture(QTreeWidget* list, const std::string& path);
    QTreeWidgetItem* AddRow(QTreeWidget* list, const std::string& path, const QString& name, const QString& key);
    void AddDroppedFiles(QTreeWidget* list, const std::vector<std::string>& files);
    // Tells which pictures were left out because their names are not UTF-8 text.
    void ReportUnnamable(const std::vector<std::string>& names);
    void btnRemoveClick();
    void btnRemoveAllClick();
    void btnModfiyClick();
    void lstEmoticonsClick(QTreeWidget* list);
    void btnExportClick();
    void btnCancelClick();
    // Appends the emoticons of a Pidgin smiley theme and names what it left out.
    void btnImportPidginClick();
    // The manifest and the cabinet at the chosen path; the pictures that could not be read.
    std::vector<std::string> GeneratePack(const std::string& chosen);

    // Tells what the pack now saved holds and where it is, and what is missing from it.
    void ReportSaved(const std::string& pack, const std::vector<std::string>& skipped);

    bool EmoticonsPageActive() const;
    QTreeWidget* ActiveList() const;
    TPackContents Contents() const;
    int PictureCount() const;
    // Generation reads the lists between pictures: they take no edits meanwhile.
    void SetEditable(bool editable);
    // Remove and Modify want a chosen row, Remove All a row on the page,
    // Generate a picture; an empty list says how pictures come in.
    void UpdateButtons();
    // The picture beside the lists is the chosen one of the page on show, or none.
    void ShowPictureOfPage();

    // A shortcut that two or more emoticons have, and their rows in list order.
    struct TSharedShortcut {
        QString key;
        std::vector<const QTreeWidgetItem*> rows;
    };
    std::vector<TSharedShortcut> SharedShortcuts() const;
    // "/smile: "smile" (smile.png), "smile" (smile-2.png)"
    static QString Describe(const TSharedShortcut& shared);
    // How the user knows a picture: its name and its file.
    static QString PictureLabel(const QTreeWidgetItem* row);
    // "Already the shortcut of ..." naming the emoticons other than `except`
    // that have the shortcut; empty when none has it, or for no shortcut.
    QString ShortcutTakenText(const QString& key, const QTreeWidgetItem* except) const;
    // Which shortcuts rows just added share with other rows, and whose they
    // are; empty when they share none.
    QString TakenShortcutsText(const std::vector<QTreeWidgetItem*>& added) const;
    // After rows are added: a warning of that text.
    void WarnOfTakenShortcuts(const std::vector<QTreeWidgetItem*>& added);
    // Messenger uses one picture per shortcut: Generate says which are shared and stops.
    bool ShortcutsAreDistinct();

    TSkinEngine skinPacksCreator{this};
    // The lists as the window opened with them or last generated a pack of them.
    TPackContents saved_;
    // While a mouse button is down on a list: the row it reaches is shown on the click.
    bool mouseOnList_ = false;
};

// What the main window's Packs Creator command runs: a new window with
// empty lists, shown modally and freed when it closes.
void RunPacksCreator(QWidget* owner);

}  // namespace quillane
