#include "Pictures.h"

#include <QFileDialog>
#include <QFileSystemModel>

namespace quillane {

QIcon ToolbarPicture(int index) {
    return QIcon(QString(":/pictures/toolbar/%1.png").arg(index, 2, 10, QChar('0')));
}

QIcon TreePicture(int index) {
    return QIcon(index == 0 ? ":/pictures/tree/category.png" : ":/pictures/tree/pack.png");
}

QIcon ProgramIcon() {
    return QIcon(":/pictures/quillane.svg");
}

void SetPackFileFilters(QFileDialog& dialog) {
    dialog.setNameFilters({"All (*.QZK;*.QZC;*.CAB;*.mco)", "Quillane pack(*.QZK)", "Quillane pack(*.QZC)",
                           "Quillane pack(*.CAB)", "Messenger pack(*.mco)"});
    // The dialog reads "*.QZK;*.QZC;*.CAB;*.mco" as one pattern; give its file
    // model the patterns one by one whenever a filter is chosen.
    auto apply = [&dialog](const QString& filter) {
        auto* model = dialog.findChild<QFileSystemModel*>();
        if (!model) return;
        const QString patterns = filter.section('(', 1).section(')', 0, 0);
        model->setNameFilters(patterns.split(';', Qt::SkipEmptyParts));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
    apply(dialog.selectedNameFilter());
}

}  // namespace quillane
