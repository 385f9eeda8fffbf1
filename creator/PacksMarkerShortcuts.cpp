// The Packs Creator's care for shortcuts: Messenger uses one picture per
// shortcut, so a shortcut already taken is named where it is given, and no
// pack is generated while two emoticons share one.
#include "PacksMarkerU.h"

#include "ErrorBox.h"

#include <QTreeWidget>
#include <algorithm>

namespace quillane {

std::vector<TFrmPacksCreator::TSharedShortcut> TFrmPacksCreator::SharedShortcuts() const {
    std::vector<TSharedShortcut> keys;
    for (int i = 0; i < lstEmoticons->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstEmoticons->topLevelItem(i);
        const QString key = row->text(kKeyColumn);
        // An emoticon without a shortcut takes none from another.
        if (key.isEmpty()) continue;
        auto known = std::find_if(keys.begin(), keys.end(), [&key](const TSharedShortcut& shared) { return shared.key == key; });
        if (known == keys.end()) {
            keys.push_back({key, {row}});
        } else {
            known->rows.push_back(row);
        }
    }
    std::erase_if(keys, [](const TSharedShortcut& shared) { return shared.rows.size() < 2; });
    return keys;
}

QString TFrmPacksCreator::Describe(const TSharedShortcut& shared) {
    QStringList pictures;
    for (const QTreeWidgetItem* row : shared.rows) pictures << PictureLabel(row);
    return shared.key + ": " + pictures.join(", ");
}

QString TFrmPacksCreator::PictureLabel(const QTreeWidgetItem* row) {
    return QString("\"%1\" (%2)").arg(row->text(kNameColumn), row->text(kFileColumn));
}

QString TFrmPacksCreator::ShortcutTakenText(const QString& key, const QTreeWidgetItem* except) const {
    if (key.isEmpty()) return {};
    QStringList holders;
    for (int i = 0; i < lstEmoticons->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lstEmoticons->topLevelItem(i);
        if (row != except && row->text(kKeyColumn) == key) holders << PictureLabel(row);
    }
    return holders.isEmpty() ? QString() : "Already the shortcut of " + holders.join(", ") + ".";
}

QString TFrmPacksCreator::TakenShortcutsText(const std::vector<QTreeWidgetItem*>& added) const {
    QString lines;
    for (const TSharedShortcut& shared : SharedShortcuts()) {
        const bool concernsAdded = std::any_of(shared.rows.begin(), shared.rows.end(), [&added](const QTreeWidgetItem* row) {
            return std::find(added.begin(), added.end(), row) != added.end();
        });
        if (concernsAdded) lines += "\n" + Describe(shared);
    }
    if (lines.isEmpty()) return {};
    return "These shortcuts were already taken, and Messenger uses one picture per shortcut. "
           "Please give each picture its own with Modify:" + lines;
}

void TFrmPacksCreator::WarnOfTakenShortcuts(const std::vector<QTreeWidgetItem*>& added) {
    const QString taken = TakenShortcutsText(added);
    if (!taken.isEmpty()) ShowMessageBox(this, QMessageBox::Warning, taken);
}

bool TFrmPacksCreator::ShortcutsAreDistinct() {
    QString lines;
    for (const TSharedShortcut& shared : SharedShortcuts()) lines += "\n" + Describe(shared);
    if (lines.isEmpty()) return true;
    ShowMessageBox(this, QMessageBox::Warning,
                   "Some pictures share a shortcut, and Messenger uses only one picture per shortcut. "
                   "Please give each its own with Modify, then generate the pack again:" + lines);
    return false;
}

}  // namespace quillane
