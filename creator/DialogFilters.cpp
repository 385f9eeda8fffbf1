#include "DialogFilters.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHash>

namespace quillane {

void SetDialogFilter(QFileDialog& dialog, const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList descriptions;
    QHash<QString, QStringList> patterns;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        descriptions.append(parts[i]);
        patterns.insert(parts[i], parts[i + 1].split(';', Qt::SkipEmptyParts));
    }
    dialog.setNameFilters(descriptions);
    // The dialog takes the text in parentheses as one pattern and would read
    // "*.jpg;*.png" as a single name; its file model gets the patterns one
    // by one whenever a filter is chosen.
    auto apply = [&dialog, patterns](const QString& chosen) {
        if (auto* model = dialog.findChild<QFileSystemModel*>()) model->setNameFilters(patterns.value(chosen));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
    apply(dialog.selectedNameFilter());
}

}  // namespace quillane
