// Exporting the emoticons of the selected packs as Pidgin smiley themes.
#include "FrmInstalledContent.h"

#include "PackDescription.h"
#include "PidginTheme.h"
#include "RemoveTree.h"

#include <set>

namespace quillane {
namespace {

QString Plural(int count, const QString& one, const QString& many) {
    return QString::number(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void TFrmInstalledContent::btnExportPidginClick() {
    const std::string smileys = PidginSmileysFolder();
    QStringList exported;
    QStringList kept;
    QStringList failures;
    int leftOut = 0;
    // Two packs of one name exported together must not replace each other.
    std::set<std::string> written;
    for (const auto& pack : SelectedPacks()) {
        if (!HoldsEmoticons(pack)) continue;
        TPidginTheme theme = PidginThemeOf(pack, store.Folder());
        const std::string name = theme.name;
        std::string folder = ThemeFolder(smileys, name);
        for (int number = 2; written.count(folder); ++number) {
            theme.name = name + " (" + std::to_string(number) + ")";
            folder = ThemeFolder(smileys, theme.name);
        }
        written.insert(folder);
        const QString themeName = QString::fromStdString(theme.name);
        // A link or a file of that name is asked about as a theme is; replacing it replaces it alone.
        if (SomethingAt(folder) &&
            !Ask(QString("Pidgin has a smiley theme named %1 already, in %2. Replace it with the emoticons of %3?")
                     .arg(themeName, QString::fromStdString(folder), QString::fromStdString(PackTitle(pack))))) {
            kept << themeName;
            continue;
        }
        try {
            leftOut += WritePidginTheme(theme, folder).shortcutsLeftOut;
            exported << themeName;
        } catch (const EPidginThemeError& failure) {
            failures << QString::fromStdString(PackTitle(pack)) + ": " + QString::fromStdString(failure.what()) + ".";
        }
    }

    QStringList report;
    if (!exported.isEmpty()) {
        report << QString("Exported %1 to %2: %3.")
                      .arg(Plural(static_cast<int>(exported.size()), "Pidgin smiley theme", "Pidgin smiley themes"),
                           QString::fromStdString(smileys), exported.join(", "))
               << "To use one, choose it in Pidgin under Tools > Preferences > Themes > Smiley Theme.";
    }
    if (leftOut > 0) {
        report << Plural(leftOut, "shortcut was", "shortcuts were") +
                      " left out: Pidgin reads no shortcut longer than 63 bytes or holding a line break.";
    }
    if (!kept.isEmpty()) {
        report << "Kept the existing " + QString(kept.size() == 1 ? "Pidgin smiley theme " : "Pidgin smiley themes ") +
                      kept.join(", ") + ".";
    }
    if (!failures.isEmpty()) report << "Not exported:" << failures;
    if (report.isEmpty()) return;
    Report(failures.isEmpty() ? QMessageBox::Information : QMessageBox::Warning, report.join("\n"));
}

}  // namespace quillane
