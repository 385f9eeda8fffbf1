// Exporting the pack being previewed for a chat program of today: the target
// chosen in a small dialog, the folder in another, the work off the window's thread.
#include "FrmMainU.h"

#include "BackgroundJob.h"
#include "ChatExport.h"
#include "ChatMovieRendering.h"
#include "ErrorBox.h"
#include "SaveDialogs.h"
#include "WinksGlobal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <memory>

namespace quillane {
namespace {

// Lines of a report shown in the message itself; the rest are in its details.
constexpr qsizetype kLinesShown = 12;

// The target and what goes with it; nothing when cancelled.
const TChatTarget* ChooseChatTarget(QWidget* parent, TChatExportOptions& options) {
    QDialog dialog(parent);
    dialog.setObjectName("dlgChatExport");
    dialog.setWindowTitle("Export for a Chat Program");
    auto* targets = new QComboBox(&dialog);
    targets->setObjectName("cmbChatTarget");
    for (const TChatTarget& target : ChatTargets()) {
        targets->addItem(QString::fromUtf8(target.title.data(), static_cast<qsizetype>(target.title.size())));
    }
    auto* speedUp = new QCheckBox("&Speed up an animation that runs too long, instead of cutting it", &dialog);
    speedUp->setObjectName("chkChatSpeedUp");
    auto* emoji = new QLineEdit(options.emoji, &dialog);
    emoji->setObjectName("edtChatEmoji");
    emoji->setMaxLength(16);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QFormLayout(&dialog);
    layout->addRow("&Export for:", targets);
    layout->addRow(speedUp);
    layout->addRow("E&moji for a sticker whose shortcut has none:", emoji);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    options.speedUp = speedUp->isChecked();
    if (!emoji->text().trimmed().isEmpty()) options.emoji = emoji->text().trimmed();
    return &ChatTargets().at(static_cast<std::size_t>(targets->currentIndex()));
}

// The report as the user reads it: where the pack went, each file, each item left out.
QString ReportText(const TChatExportReport& report) {
    QStringList lines = {QString("Exported %1 %2 into \"%3\".")
                             .arg(report.files.size())
                             .arg(report.files.size() == 1 ? "picture" : "pictures", report.written)};
    lines += report.files;
    for (const QString& left : report.leftOut) lines << "Left out: " + left;
    lines += report.notes;
    if (lines.size() > kLinesShown) {
        const qsizetype more = lines.size() - kLinesShown;
        lines = lines.mid(0, kLinesShown);
        lines << QString("... and %1 more.").arg(more);
    }
    return lines.join("\n");
}

}  // namespace

void TFrmMain::actExportChatExecute() {
    const std::string pack = PreviewedPackFile();
    if (pack.empty()) {
        return ShowMessageBox(this, QMessageBox::Information,
                              "Export for a Chat Program needs the pack on this computer: preview a pack file, or a pack "
                              "that has been downloaded or installed."),
               void();
    }
    ExportForChatProgram(PackFileSource(Global(), pack), this);
}

void TFrmMain::ExportForChatProgram(const TChatExportSource& pack, QWidget* over) {
    TChatExportOptions options;
    const TChatTarget* target = ChooseChatTarget(over, options);
    if (!target) return;
    const QString folder = ChooseSaveFolder(over, "Export into a Folder", "dlgChatExportFolder", "ExportChat");
    if (folder.isEmpty()) return;
    const QString destination = ChatExportDestination(pack.title, *target, folder);
    if (QFileInfo(destination).exists() || QFileInfo(destination).isSymLink()) {
        const auto answer = ShowMessageBox(over, QMessageBox::Question,
                                           QString("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(destination).fileName()),
                                           QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
        options.replace = true;
    }

    // Three steps, each cancellable: the pictures found off the window's thread,
    // the movies rendered by the player on it, the files made off it again.
    auto found = std::make_shared<TChatExportPictures>();
    auto report = std::make_shared<TChatExportReport>();
    // Both may go with the window they are over, Installed Content, while the export runs.
    const QPointer<QProgressDialog> progress = new QProgressDialog("Exporting the pack...", "Cancel", 0, 0, over);
    progress->setObjectName("prgChatExport");
    progress->setWindowTitle(kApplicationTitle);
    progress->setMinimumDuration(500);
    const QPointer<QWidget> reportOver(over);
    // Hidden at once, and its timer that shows it stopped: the report's box
    // would otherwise come over it, and it is deleted only after that box.
    const auto dropProgress = [progress] {
        if (!progress) return;
        progress->reset();
        progress->hide();
        progress->deleteLater();
    };
    const auto finish = [this, dropProgress, report, reportOver] {
        dropProgress();
        QWidget* parent = reportOver ? reportOver.data() : this;
        if (!report->failure.isEmpty()) return ShowMessageBox(parent, QMessageBox::Warning, report->failure), void();
        SetStatusText(QString("Exported %1 %2.").arg(report->files.size()).arg(report->files.size() == 1 ? "picture" : "pictures"));
        ShowMessageBox(parent, report->leftOut.isEmpty() && report->notes.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                       ReportText(*report));
    };
    const auto makeFiles = [this, found, report, target, folder, options, progress, dropProgress, finish] {
        auto* job = new TBackgroundJob([found, report, target, folder, options] {
            *report = ExportPicturesForChat(*found, *target, folder, options);
        }, this);
        if (progress) connect(progress, &QProgressDialog::canceled, job, &TBackgroundJob::Cancel);
        connect(job, &TBackgroundJob::Finished, this, [job, dropProgress, finish] {
            job->deleteLater();
            // A cancelled export runs to its end unseen: what it wrote stays whole, as it is written whole.
            job->Cancelled() ? dropProgress() : finish();
        });
        job->Start();
    };
    auto* finding = new TBackgroundJob([found, pack, &global = Global()] { *found = FindChatExportPictures(global, pack); }, this);
    connect(progress, &QProgressDialog::canceled, finding, &TBackgroundJob::Cancel);
    connect(finding, &TBackgroundJob::Finished, this, [this, finding, found, progress, dropProgress, makeFiles] {
        finding->deleteLater();
        if (finding->Cancelled()) return dropProgress();
        if (!TChatMovieRendering::Needed(*found)) return makeFiles();
        auto* rendering = new TChatMovieRendering(*found, QString::fromStdString(Global().AppPath) + "ruffle/", this);
        // The rendering holds the pictures it works on until it has ended.
        connect(rendering, &TChatMovieRendering::Finished, this, [rendering, found, progress, dropProgress, makeFiles] {
            rendering->deleteLater();
            progress && progress->wasCanceled() ? dropProgress() : makeFiles();
        });
        if (progress) {
            connect(progress, &QProgressDialog::canceled, rendering, &TChatMovieRendering::Cancel);
            connect(rendering, &TChatMovieRendering::Progress, progress, &QProgressDialog::setLabelText);
        }
        rendering->Start();
    });
    finding->Start();
}

}  // namespace quillane
