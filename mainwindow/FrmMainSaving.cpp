// Saving what the preview shows as files that other programs show: a wink or
// a Flash display picture as an animated GIF, a pack's pictures into a folder.
#include "FrmMainU.h"

#include "BackgroundJob.h"
#include "ErrorBox.h"
#include "FlashView.h"
#include "PackPictures.h"
#include "SaveDialogs.h"
#include "WinkGifJob.h"
#include "WinksGlobal.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSpinBox>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace quillane {
namespace {

QString Pictures(int count) { return count == 1 ? "picture" : "pictures"; }

void Tell(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Information) {
    ShowMessageBox(parent, icon, text);
}

// The size of the pictures: the stage's, half of it, or a width in pixels.
bool ChooseGifSize(QWidget* parent, TWinkGifJob::Options& options) {
    QDialog dialog(parent);
    dialog.setObjectName("dlgGifSize");
    dialog.setWindowTitle("Save as Animated GIF");
    auto* size = new QComboBox(&dialog);
    size->setObjectName("cmbGifSize");
    size->addItems({"As large as the movie's stage", "Half as large", "A width in pixels"});
    auto* width = new QSpinBox(&dialog);
    width->setObjectName("spnGifWidth");
    width->setRange(16, 2000);
    width->setValue(300);
    width->setSuffix(" pixels");
    width->setEnabled(false);
    QObject::connect(size, &QComboBox::currentIndexChanged, width, [width](int index) { width->setEnabled(index == 2); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QFormLayout(&dialog);
    layout->addRow("&Size:", size);
    layout->addRow("&Width:", width);
    layout->addRow(new QLabel(QString("A movie that runs on is cut after %1 seconds.").arg(kLongestMovieSeconds)));
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    options.scale = size->currentIndex() == 1 ? 0.5 : 1.0;
    options.width = size->currentIndex() == 2 ? width->value() : 0;
    return true;
}

}  // namespace

void TFrmMain::actSaveGifExecute() {
    if (!FlashShown || !flsPreview->MovieShown() || flsPreview->MovieBytes().isEmpty()) {
        return Tell(this, "Preview a wink or a Flash display picture first; its movie is what is saved.");
    }
    TWinkGifJob::Options options;
    options.movie = flsPreview->MovieBytes();
    options.longestSeconds = kLongestMovieSeconds;
    if (!ChooseGifSize(this, options)) return;
    const QString name = QFileInfo(flsPreview->Movie()).completeBaseName();
    options.target = ChooseGifFile(this, (name.isEmpty() ? "wink" : name) + ".gif");
    if (options.target.isEmpty()) return;

    auto* job = new TWinkGifJob(options, QString::fromStdString(Global().AppPath) + "ruffle/", this);
    auto* progress = new QProgressDialog("Saving the movie as an animated GIF...", "Cancel", 0, 0, this);
    progress->setObjectName("prgSaveGif");
    progress->setWindowTitle(kApplicationTitle);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    connect(progress, &QProgressDialog::canceled, job, &TWinkGifJob::Cancel);
    connect(job, &TWinkGifJob::Progress, progress, [progress](int done, int total) {
        progress->setMaximum(total);
        progress->setValue(done);
        progress->setLabelText(QString("Saving frame %1 of %2...").arg(done).arg(total));
    });
    connect(job, &TWinkGifJob::Finished, this, [this, job, progress](bool saved, const QString& message) {
        progress->hide();
        progress->deleteLater();
        job->deleteLater();
        SetStatusText(message);
        Tell(this, message, saved ? QMessageBox::Information : QMessageBox::Warning);
    });
    progress->show();
    job->Start();
}

std::string TFrmMain::PreviewedPackFile() const {
    const std::string pack = !OpenedPackFile.empty() ? OpenedPackFile : CurrentItem ? LocalPackOf(CurrentItem) : std::string();
    std::error_code error;
    return !pack.empty() && std::filesystem::is_regular_file(pack, error) ? pack : std::string();
}

void TFrmMain::actSavePicturesExecute() {
    const std::string pack = PreviewedPackFile();
    if (pack.empty()) {
        return Tell(this, "Save Pictures needs the pack on this computer: preview a pack file, or a pack that has been "
                          "downloaded or installed.");
    }
    QString folder = ChooseSaveFolder(this, "Save Pictures into a Folder", "dlgPicturesFolder", "SavePictures");
    if (folder.isEmpty()) return;
    if (!folder.endsWith('/')) folder += '/';

    // Unpacked off the window's thread into a folder of the job's own.
    auto work = std::make_shared<QTemporaryDir>(QString::fromStdString(Global().TempDir) + "save-XXXXXX");
    auto found = std::make_shared<TPackPictures>();
    if (!work->isValid()) return Tell(this, "No room to unpack the pack.", QMessageBox::Warning);
    auto* job = new TBackgroundJob(
        [work, found, pack, &global = Global()]() {
            *found = FindPackPictures(global, pack, work->path().toStdString() + "/");
        },
        this);
    auto* progress = new QProgressDialog("Unpacking the pack...", "Cancel", 0, 0, this);
    progress->setObjectName("prgSavePictures");
    progress->setWindowTitle(kApplicationTitle);
    progress->setMinimumDuration(500);
    // A cancelled unpacking runs to its end unseen; nothing is saved from it.
    connect(progress, &QProgressDialog::canceled, job, &TBackgroundJob::Cancel);
    connect(job, &TBackgroundJob::Finished, this, [this, job, progress, work, found, folder] {
        job->deleteLater();
        progress->deleteLater();
        if (job->Cancelled()) return;
        Guarded([&] {
            if (!found->failure.isEmpty()) return Tell(this, found->failure, QMessageBox::Warning);
            bool replace = false;
            const QStringList taken = TakenNames(*found, folder);
            if (!taken.isEmpty()) {
                const auto answer = ShowMessageBox(
                    this, QMessageBox::Question,
                    QString("The folder already holds %1 of these files:\n%2\n\nReplace them? "
                            "No keeps them and saves the new ones under numbered names.")
                        .arg(taken.size()).arg(taken.mid(0, 10).join("\n")),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                if (answer == QMessageBox::Cancel) return;
                replace = answer == QMessageBox::Yes;
            }
            const QStringList failed = SavePackPictures(*found, folder, replace);
            const int saved = static_cast<int>(found->pictures.size()) - static_cast<int>(failed.size());
            QString message = QString("Saved %1 %2 into \"%3\".").arg(saved).arg(Pictures(saved), folder);
            if (!found->missing.isEmpty()) {
                message += "\nThe pack is damaged; these could not be unpacked:\n" + found->missing.join("\n");
            }
            if (!failed.isEmpty()) message += "\nThese could not be written:\n" + failed.join("\n");
            SetStatusText(QString("Saved %1 %2.").arg(saved).arg(Pictures(saved)));
            const bool whole = failed.isEmpty() && found->missing.isEmpty();
            Tell(this, message, whole ? QMessageBox::Information : QMessageBox::Warning);
        }, this);
    });
    job->Start();
}

}  // namespace quillane
