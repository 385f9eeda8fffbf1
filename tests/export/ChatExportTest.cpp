// Packs exported for today's chat programs: files each program takes as they
// are, pixel art kept sharp and transparency exact, what cannot fit left out
// and named, from the window and from the command line.
#include "ChatExport.h"
#include "ChatFileCheck.h"
#include "ChatNames.h"
#include "ContentStore.h"
#include "FrmInstalledContent.h"
#include "FrameTiming.h"
#include "FrmMainU.h"
#include "GifWriter.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "PackPictures.h"
#include "PreviewArea.h"
#include "SourceFrames.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QBuffer>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <numeric>
#include <random>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage FirstFrame(const QString& path) {
    QImageReader reader(path);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

std::string PngOf(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png.toStdString();
}

// An animated GIF of coloured noise, 40 pixels square: no palette or frame rate makes it small.
std::string NoiseGif(int frames) {
    std::mt19937 random(5);
    TGifWriter writer(40, 40);
    std::vector<std::uint8_t> frame(40 * 40 * 4);
    for (int i = 0; i < frames; ++i) {
        for (auto& byte : frame) byte = static_cast<std::uint8_t>(random());
        writer.AddFrame(frame.data(), 40);
    }
    return writer.Close();
}

struct CommandRun {
    int exitCode = -1;
    QString output;
};

CommandRun RunQuillane(const QStringList& arguments) {
    QProcess quillane;
    quillane.start(QString::fromStdString(testing::AppFolder() + "quillane"), arguments);
    quillane.waitForFinished(60000);
    return {quillane.exitCode(), QString::fromUtf8(quillane.readAllStandardOutput() + quillane.readAllStandardError())};
}

// The export's dialog with its first program, then the folder dialog with `folder`.
void AnswerExportDialogs(const std::string& folder) {
    testing::AnswerNextModal([folder](QWidget* dialog) {
        QCOMPARE(dialog->objectName(), QString("dlgChatExport"));
        testing::AnswerFileDialog(folder);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

}  // namespace

class ChatExportTest : public QObject {
    Q_OBJECT

    std::string Sample(const std::string& pack) { return testing::AppFolder() + "msnpack/" + pack; }

private slots:
    void initTestCase() { InstallGlobal(std::make_unique<TGlobal>(testing::AppFolder())); }

    void anEmoticonPackForDiscordIsSharpTransparentAndWithinItsLimits() {
        testing::TempFolder output;
        const TChatTarget& discord = *FindChatTarget("discord");
        const TChatExportReport report = ExportPackForChat(Global(), Sample("faces.QZK"), discord, QString::fromStdString(output.Folder()), {});
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));
        QCOMPARE(report.files, QStringList({"Smile.gif: scaled 3x", "Grin.gif: scaled 3x", "Wink.gif: scaled 3x", "Wow.gif: scaled 3x"}));
        QCOMPARE(report.written, QString::fromStdString(output.Folder() + "faces"));

        QTemporaryDir work;
        const TPackPictures sources = FindPackPictures(Global(), Sample("faces.QZK"), work.path().toStdString() + "/");
        for (const TPackPicture& source : sources.pictures) {
            const QString exported = report.written + "/" + source.fileName;
            QVERIFY2(CheckChatFile(discord, FileBytes(exported), TChatFormat::Gif).isEmpty(), qPrintable(exported));
            // Each source pixel a 3 x 3 block of the same colour, the rest of the square transparent.
            const QImage original = ReadSourceFrames(source.source).frames.front();
            const QImage made = FirstFrame(exported);
            const QPoint corner((128 - 3 * original.width()) / 2, (128 - 3 * original.height()) / 2);
            QCOMPARE(qAlpha(made.pixel(0, 0)), 0);
            for (int y = 0; y < original.height(); ++y) {
                for (int x = 0; x < original.width(); ++x) {
                    const QRgb want = original.pixel(x, y), got = made.pixel(corner.x() + 3 * x + 1, corner.y() + 3 * y + 1);
                    QVERIFY2(qAlpha(want) < 128 ? qAlpha(got) == 0 : got == want, qPrintable(QString("%1 at %2,%3").arg(exported).arg(x).arg(y)));
                }
            }
        }
        // A second export into the same folder replaces nothing unasked.
        QVERIFY(ExportPackForChat(Global(), Sample("faces.QZK"), discord, QString::fromStdString(output.Folder()), {}).failure.contains("already there"));
    }

    void archivesForMatrixAndPidginAreReadByOtherTools() {
        testing::TempFolder output;
        const QString folder = QString::fromStdString(output.Folder());
        QVERIFY(ExportPackForChat(Global(), Sample("faces.QZK"), *FindChatTarget("matrix"), folder, {}).failure.isEmpty());
        QVERIFY(ExportPackForChat(Global(), Sample("faces.QZK"), *FindChatTarget("pidgin"), folder, {}).failure.isEmpty());
        QProcess python;
        python.start("/usr/bin/python3", {"-c",
                                 "import sys, tarfile, zipfile\n"
                                 "print(sorted(zipfile.ZipFile(sys.argv[1] + 'faces.zip').namelist()))\n"
                                 "theme = tarfile.open(sys.argv[1] + 'faces.tar.gz')\n"
                                 "print(theme.extractfile('faces/theme').read().decode().split('[default]')[1].split())",
                                 folder});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()),
                 QString("['grin.gif', 'smile.gif', 'wink.gif', 'wow.gif']\n"
                         "['Smile.gif', ':)', 'Grin.gif', ':D', 'Wink.gif', ';)', 'Wow.gif', ':O']\n"));
    }

    void stickersForTelegramSignalAndWhatsAppAreReadBackByOtherTools() {
        testing::TempFolder output;
        const QString folder = QString::fromStdString(output.Folder());
        for (const char* target : {"telegram-stickers", "signal", "whatsapp"}) {
            QDir().mkpath(folder + target);
            const TChatExportReport report = ExportPackForChat(Global(), Sample("faces.QZK"), *FindChatTarget(target), folder + target, {});
            QVERIFY2(report.failure.isEmpty() && report.leftOut.isEmpty(), qPrintable(report.failure + report.leftOut.join("\n")));
        }
        // Telegram's video stickers: VP9 with its alpha, 512 x 512, within 3 s; the emoji each goes with.
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,width,height:stream_tags=alpha_mode:format=duration",
                                "-of", "csv=p=0", folder + "telegram-stickers/faces/Grin.webm"});
        QVERIFY(probe.waitForFinished(30000));
        const QStringList facts = QString::fromUtf8(probe.readAllStandardOutput()).simplified().split(QRegularExpression("[, ]"));
        QCOMPARE(facts.mid(0, 4), QStringList({"vp9", "512", "512", "1"}));
        QVERIFY2(facts.value(4).toDouble() > 0 && facts.value(4).toDouble() <= 3.0, qPrintable(facts.join(",")));
        QVERIFY(FileBytes(folder + "telegram-stickers/faces/emoji.txt").contains("Grin.webm\t\xF0\x9F\x98\x80"));
        // Signal's manifest as signal-cli reads it, and APNG stickers; WhatsApp's animated WebP and tray icon.
        QProcess python;
        python.start("/usr/bin/python3", {"-c",
                                 "import json, sys\nfrom PIL import Image\nd = sys.argv[1]\n"
                                 "m = json.load(open(d + 'signal/faces/manifest.json'))\n"
                                 "print(m['title'], m['cover']['file'], [s['file'] + s['emoji'] for s in m['stickers']])\n"
                                 "for f in ['signal/faces/Wink.png', 'whatsapp/faces/Wink.webp', 'whatsapp/faces/tray.png']:\n"
                                 "    im = Image.open(d + f); print(im.format, im.size, getattr(im, 'n_frames', 1) > 1, im.convert('RGBA').getpixel((0, 0))[3])",
                                 folder});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()),
                 QString::fromUtf8("faces Smile.png ['Smile.png🙂', 'Grin.png😀', 'Wink.png😉', 'Wow.png😮']\n"
                                   "PNG (512, 512) True 0\n"
                                   "WEBP (512, 512) True 0\n"
                                   "PNG (96, 96) False 0\n"));
    }

    void animationsAreCutOrSpedUpAndFramesMergedToTheLimits() {
        std::vector<QImage> frames(50, QImage(4, 4, QImage::Format_ARGB32));
        const std::vector<int> delays(50, 100);
        const TTimedFrames cut = FitTiming(frames, delays, 3, 0, false);
        QCOMPARE(cut.frames.size(), std::size_t{30});
        QCOMPARE(cut.changes, QStringList({"cut from 5 s to 3 s"}));
        const TTimedFrames fast = FitTiming(frames, delays, 3, 30, true);
        QCOMPARE(fast.frames.size(), std::size_t{50});
        QCOMPARE(std::accumulate(fast.delaysMs.begin(), fast.delaysMs.end(), 0), 3000);
        QCOMPARE(fast.changes, QStringList({"sped up from 5 s to 3 s"}));
        const TTimedFrames merged = FitTiming(frames, std::vector<int>(50, 20), 0, 30, false);
        QCOMPARE(merged.frames.size(), std::size_t{25});
        QCOMPARE(merged.changes, QStringList({"50 frames a second to 25"}));
    }

    void aWhatsAppPackOfMoreThanThirtyIsSplit() {
        testing::TempFolder work, output;
        QImage dot(8, 8, QImage::Format_ARGB32);
        dot.fill(Qt::blue);
        std::string items;
        std::vector<std::pair<std::string, std::string>> files;
        for (int i = 0; i < 31; ++i) {
            const std::string name = "dot" + std::to_string(i) + ".png";
            items += testing::EmoticonItem(name, "Dot " + std::to_string(i), ":" + std::to_string(i));
            files.emplace_back(name, PngOf(dot));
        }
        files.emplace_back("content.xml", testing::EmoticonManifest(items));
        const std::string pack = work.File("dots.cab");
        testing::MakeCabinetOf(pack, files);
        const TChatExportReport report = ExportPackForChat(Global(), pack, *FindChatTarget("whatsapp"), QString::fromStdString(output.Folder()), {});
        QVERIFY2(report.failure.isEmpty(), qPrintable(report.failure));
        QCOMPARE(QDir(report.written + "/dots 1").entryList(QDir::Files).size(), 31);
        QCOMPARE(QDir(report.written + "/dots 2").entryList(QDir::Files), QStringList({"Dot 30.webp", "tray.png"}));
    }

    void whatCannotBeReadOrMadeToFitIsLeftOutAndNamed() {
        testing::TempFolder work, output;
        QImage wide(5000, 10, QImage::Format_RGB32);
        wide.fill(Qt::red);
        const std::string pack = work.File("odd.cab");
        testing::MakeCabinetOf(pack, {{"content.xml", testing::EmoticonManifest(testing::EmoticonItem("wide.png", "Wide", ":w") +
                                                                                testing::EmoticonItem("noise.gif", "Noise", ":n") +
                                                                                testing::EmoticonItem("page.svg", "Page", ":s"))},
                                      {"wide.png", PngOf(wide)},
                                      {"noise.gif", NoiseGif(300)},
                                      {"page.svg", "<svg xmlns='http://www.w3.org/2000/svg'/>"}});
        const TChatExportReport report = ExportPackForChat(Global(), pack, *FindChatTarget("slack"), QString::fromStdString(output.Folder()), {});
        QVERIFY2(report.leftOut.join("\n").contains("Wide: 5000 x 10 pixels, larger than 4096 x 4096"), qPrintable(report.leftOut.join("\n")));
        QVERIFY(report.leftOut.join("\n").contains("Page: not a GIF, PNG, JPEG or BMP picture"));
        QVERIFY(report.leftOut.join("\n").contains("Noise: cannot be made smaller than 128 KB"));
        QCOMPARE(report.failure, QString("Nothing in this pack could be exported."));
    }

    void namesFollowEachProgramsRule() {
        TChatNames discord(TChatNaming::Discord);
        QCOMPARE(discord.Take("Big Smile :)"), QString("Big_Smile___"));
        QCOMPARE(discord.Take("big smile :)"), QString("big_smile____2"));
        QCOMPARE(discord.Take("x"), QString("emojix"));
        QCOMPARE(discord.Take(QString(40, 'a')).size(), 32);
        TChatNames matrix(TChatNaming::Matrix);
        QCOMPARE(matrix.Take(QString::fromUtf8("Café Olé!")), QString::fromUtf8("café_olé_"));
        TChatNames plain(TChatNaming::Plain);
        QCOMPARE(plain.Take("../../etc/passwd"), QString("_.._etc_passwd"));
    }

    void theCommandLineExportsAndSaysWhatFailed() {
        testing::TempFolder output;
        const QString folder = "--output=" + QString::fromStdString(output.Folder());
        const QString faces = QString::fromStdString(Sample("faces.QZK"));
        QCOMPARE(RunQuillane({"--export=myspace", folder, faces}).exitCode, 2);
        const CommandRun first = RunQuillane({"--export=discord", folder, faces});
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.output.contains("Smile.gif: scaled 3x"), qPrintable(first.output));
        QCOMPARE(RunQuillane({"--export=discord", folder, faces}).exitCode, 1);
        QCOMPARE(RunQuillane({"--export=discord", folder, "--force", faces}).exitCode, 0);
        const std::string notAPack = output.File("page.QZK");
        testing::WriteFile(notAPack, "<html>404</html>");
        QCOMPARE(RunQuillane({"--export=slack", folder, faces, QString::fromStdString(notAPack)}).exitCode, 1);
        // A display picture alone is a sticker pack too small for WhatsApp: it is exported, and that is said.
        const CommandRun picture = RunQuillane({"--export=whatsapp", folder, QString::fromStdString(Sample("cat.QZC"))});
        QCOMPARE(picture.exitCode, 0);
        QVERIFY2(picture.output.contains("Green Cat.webp: scaled 5x") &&
                     picture.output.contains("WhatsApp stickers come in packs of 3 or more"),
                 qPrintable(picture.output));
    }

    void aWinkIsRenderedFrameByFrameByThePlayer() {
        testing::TempFolder output;
        // Signal's 3 s, which the movie fills: its last frame keeps its own delay.
        const CommandRun run = RunQuillane({"--export=signal", "--output=" + QString::fromStdString(output.Folder()),
                                            QString::fromStdString(Sample("heart.QZK"))});
        QCOMPARE(run.exitCode, 0);
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0",
                                QString::fromStdString(output.File("heart/Bouncing Heart.png"))});
        QVERIFY(probe.waitForFinished(30000));
        // The movie's frames, not its still picture alone.
        QVERIFY2(probe.readAllStandardOutput().trimmed().toInt() > 10, qPrintable(run.output));
    }

    void theWindowExportsThePreviewedPack() {
        auto folders = std::make_unique<testing::WindowTestFolders>();
        auto window = testing::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
        const QList<QAction*> items = window->menuBar()->actions().constFirst()->menu()->actions();
        QCOMPARE(items.value(items.indexOf(window->actSavePictures) + 1), window->actExportChat);
        QVERIFY(window->pnlPreview->actions().contains(window->actExportChat));
        QSignalSpy shown(window.get(), &TFrmMain::PackFileShown);
        window->OpenPackFile(Sample("faces.QZK"));
        QVERIFY(!shown.isEmpty() || shown.wait(10000));
        testing::TempFolder output;
        AnswerExportDialogs(output.Folder());
        testing::MessageBoxRecorder told;
        window->actExportChat->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!told.Texts().isEmpty(), 20000);
        QVERIFY2(told.Texts().constFirst().startsWith("Exported 4 pictures"), qPrintable(told.Texts().constFirst()));
        QVERIFY(fs::is_regular_file(output.Folder() + "faces/Wow.gif"));
        testing::CloseMainWindow(window, folders);
    }

    void aWinkInInstalledContentIsExportedFromItsMenuAnimated() {
        auto folders = std::make_unique<testing::WindowTestFolders>();
        auto window = testing::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
        // A wink as an install stores it: by its inner cabinet, which holds the movie.
        testing::TempFolder packs;
        const std::string cabinet = packs.File("heart.cab");
        testing::WriteFile(cabinet, "M" + testing::ReadFile(Sample("heart.QZK")));
        TContentStore store(TContentStore::DefaultFolder());
        QCOMPARE(store.Install(cabinet, cabinet, {"heart.QZK", ""}), kInstalled);
        window->findChild<QAction*>("actInstalledContent")->trigger();
        auto* installed = window->findChild<TFrmInstalledContent*>();
        QVERIFY(installed);
        auto* list = installed->findChild<QTreeWidget*>("lstPacks");
        list->setCurrentItem(list->topLevelItem(0));
        testing::TempFolder output;
        AnswerExportDialogs(output.Folder());
        testing::MessageBoxRecorder told;
        // The list's menu holds the export beside the buttons' other actions.
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QStringList texts;
            for (QAction* action : menu->actions()) texts << action->text();
            QCOMPARE(texts, QStringList({"Remove", "Open Folder", "Export to Pidgin...", "Export for a Chat Program..."}));
            menu->actions().constLast()->trigger();
            menu->close();
        });
        emit list->customContextMenuRequested(list->visualItemRect(list->topLevelItem(0)).center());
        QTRY_VERIFY_WITH_TIMEOUT(!told.Texts().isEmpty(), 20000);
        QVERIFY2(told.Texts().constFirst().startsWith("Exported 1 picture"), qPrintable(told.Texts().constFirst()));
        // Discord's GIF of the wink as the player renders it, frame by frame.
        QImageReader gif(QString::fromStdString(output.Folder() + "heart/Bouncing_Heart.gif"));
        QVERIFY2(gif.imageCount() > 10, qPrintable(told.Texts().constFirst()));
        installed->close();
        testing::CloseMainWindow(window, folders);
    }
};

QUILLANE_WINDOW_TEST_MAIN(ChatExportTest)

#include "ChatExportTest.moc"
