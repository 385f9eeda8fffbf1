// The Packs Creator's import of a Pidgin smiley theme: the dialog that finds
// themes, and the message that says what came in and what was left out.
#include "PacksMarkerU.h"

#include "DialogFilters.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "PidginThemeImport.h"
#include "PidginThemeText.h"
#include "WinksGlobal.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTabWidget>
#include <QTreeWidget>

namespace quillane {
namespace {

const char* const kThemeFilter = "Pidgin smiley theme (theme)|theme|All files (*)|*";
// Where Pidgin keeps the themes that come with it.
const char* const kPidginThemesFolder = "/usr/share/pixmaps/pidgin/emotes/";
// The user's smiley themes, then those that come with Pidgin, where they are.
QList<QUrl> PidginThemePlaces() {
    QList<QUrl> places;
    for (const std::string& folder : {PidginSmileysFolder(), std::string(kPidginThemesFolder)}) {
        if (QFileInfo(QString::fromStdString(folder)).isDir()) places << QUrl::fromLocalFile(QString::fromStdString(folder));
    }
    return places;
}

// Left-out things named in the message itself; the rest are in its details.
constexpr size_t kLeftOutShown = 20;

// A file dialog that also takes a folder holding a theme file as the choice,
// where a file dialog would open it.
class TThemeDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && QFileInfo(chosen.first()).isDir() && QFileInfo(chosen.first() + "/theme").isFile()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

QString ImportReport(const TThemeImport& imported) {
    const size_t count = imported.emoticons.size();
    QString text = QString("Added %1 from the Pidgin smiley theme %2.")
                       .arg(count == 1 ? QString("1 emoticon") : QString::number(count) + " emoticons",
                            QString::fromStdString(imported.themeFile));
    if (imported.leftOut.empty()) return text;
    text += "\n\nLeft out:";
    for (size_t i = 0; i < imported.leftOut.size() && i < kLeftOutShown; ++i) {
        text += "\n" + QString::fromStdString(imported.leftOut[i]);
    }
    if (imported.leftOut.size() > kLeftOutShown) {
        text += QString("\n... and %1 more (see the details).").arg(imported.leftOut.size() - kLeftOutShown);
    }
    return text;
}

}  // namespace

void TFrmPacksCreator::CreateThemeDialog() {
    opnTheme = new TThemeDialog(this);
    opnTheme->setObjectName("opnTheme");
    opnTheme->setWindowTitle("Import Pidgin Theme");
    opnTheme->setOption(QFileDialog::DontUseNativeDialog);
    opnTheme->setAcceptMode(QFileDialog::AcceptOpen);
    opnTheme->setFileMode(QFileDialog::ExistingFile);
    SetDialogFilter(*opnTheme, kThemeFilter);
    CloseCompletionsWithDialog(*opnTheme);
    const QList<QUrl> places = PidginThemePlaces();
    if (!places.isEmpty()) opnTheme->setSidebarUrls(places);
}

void TFrmPacksCreator::btnImportPidginClick() {
    const QList<QUrl> places = PidginThemePlaces();
    StartInLastFolder(*opnTheme, "PidginTheme", places.isEmpty() ? QString() : places.first().toLocalFile());
    if (opnTheme->exec() != QDialog::Accepted) return;
    const TThemeImport imported = ImportPidginTheme(opnTheme->selectedFiles().value(0).toStdString());
    tabContent->setCurrentWidget(tabEmoticons);
    std::vector<QTreeWidgetItem*> added;
    for (const TPackItem& emoticon : imported.emoticons) {
        added.push_back(AddRow(lstEmoticons, emoticon.FullPath, QString::fromStdString(emoticon.Name),
                               QString::fromStdString(emoticon.Key)));
    }
    // What came in, what was left out and what is now shared, in one message.
    QString report = ImportReport(imported);
    const QString taken = TakenShortcutsText(added);
    if (!taken.isEmpty()) report += "\n\n" + taken;
    // Names from the theme are shown as they are, never as markup.
    QMessageBox box(imported.leftOut.empty() && taken.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                    kApplicationTitle, report, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    if (imported.leftOut.size() > kLeftOutShown) {
        QString details;
        for (const std::string& line : imported.leftOut) details += QString::fromStdString(line) + "\n";
        box.setDetailedText(details);
    }
    box.exec();
}

}  // namespace quillane
