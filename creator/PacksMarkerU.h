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
    QFileDialog* opnImage;
    QFileDialog* savPack;
    // Takes a theme's folder, or its "theme" file.
    QFileDialog* opnTheme;

protected:
    // Picture files dropped on a list are added to it as Add adds them.
    // Notes whether a mouse button is down on a list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateLists();
    void CreateButtons();
    void CreateDialogs();
    // The dialog that chooses a Pidgin smiley theme, opened where themes are.
    void CreateThemeDialog();
    // Delete and Enter on the lists, the Tab order, and the names screen readers say.
    void CreateKeys();
    void FormCreate();

    void btnAddClick();
    // A row for the picture at the end of the list.
    void AddPicture(QTreeWidget* list, const std::string& path);
    void AddRow(QTreeWidget* list, const std::string& path, const QString& name, const QString& key);
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
    // The manifest and the cabinet at the chosen path; tells of pictures left out.
    void GeneratePack(const std::string& chosen);

    bool EmoticonsPageActive() const;
    QTreeWidget* ActiveList() const;
    TPackContents Contents() const;
    // Generation reads the lists between pictures: they take no edits meanwhile.
    void SetEditable(bool editable);

    TSkinEngine skinPacksCreator{this};
    // While a mouse button is down on a list: the row it reaches is shown on the click.
    bool mouseOnList_ = false;
};

// What the main window's Packs Creator command runs: a new window with
// empty lists, shown modally and freed when it closes.
void RunPacksCreator(QWidget* owner);

}  // namespace quillane
