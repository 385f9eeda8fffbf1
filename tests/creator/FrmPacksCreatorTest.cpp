// The Packs Creator and its edit dialog driven as a user drives them, with
// real pictures in temporary folders; the packs are checked with cabextract,
// gcab and our cabarc.
#include "CabinetTools.h"
#include "FrmModContentU.h"
#include "KeyboardUse.h"
#include "ModalAnswer.h"
#include "PacksMarkerU.h"
#include "TempFolder.h"
#include "WinksGlobal.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <pugixml.hpp>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

const char* const kSkin = "QPushButton { color: navy; }";

// How a file dialog is answered beyond the names typed into it.
struct FileAnswer {
    // Say Yes to the question about replacing a file.
    bool overwrite = false;
    // Receives the name the dialog offered before it was typed over.
    std::shared_ptr<QString> seenName;
    // Runs once the dialog is accepted, to answer what comes next.
    std::function<void()> afterwards;
    // Receives the files in the order the accepted dialog returns them.
    std::shared_ptr<QStringList> returned;
    // Does what the user does in the dialog before typing the name.
    std::function<void(QFileDialog*)> before;
};

// Answers a file dialog with names in one folder, as if typed and accepted.
void AnswerFileDialog(const std::string& folder, const QStringList& names, FileAnswer how = {}) {
    testing::AnswerNextModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->setDirectory(QString::fromStdString(folder));
        // The dialog keeps the files picked last time selected in its view; a
        // user typing into the name field drops them, as the field has the focus.
        auto* view = dialog->findChild<QListView*>("listView");
        QVERIFY(view);
        view->clearSelection();
        if (how.before) how.before(dialog);
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(edit);
        if (how.seenName) *how.seenName = edit->text();
        edit->setText(names.size() == 1 ? names.first() : "\"" + names.join("\" \"") + "\"");
        if (how.overwrite) {
            testing::AnswerNextModal([dialog](QWidget* question) {
                auto* box = qobject_cast<QMessageBox*>(question);
                QVERIFY(box && box != static_cast<QWidget*>(dialog));
                box->button(QMessageBox::Yes)->click();
            });
        }
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) dialog->reject();  // refused: let the test fail instead of hanging
        if (how.returned) *how.returned = dialog->selectedFiles();
        if (how.afterwards) how.afterwards();
    });
}

void CancelFileDialog() {
    testing::AnswerNextModal([](QWidget* modal) {
        QVERIFY(qobject_cast<QFileDialog*>(modal));
        static_cast<QDialog*>(modal)->reject();
    });
}


// A file dialog's answer followed by the answer to the message box that comes next.
FileAnswer ThenAnswerMessageBox(std::shared_ptr<testing::SeenBox>& box) {
    FileAnswer how;
    how.afterwards = [&box] { box = testing::AnswerMessageBox(); };
    return how;
}

// Closes any modal window that opens while it lives, and remembers that one did.
class ModalWatch {
public:
    ModalWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = true;
                modal->close();
            }
        });
        timer_.start(5);
    }
    bool seen = false;

private:
    QTimer timer_;
};

QStringList Row(const QTreeWidget* list, int index) {
    QStringList values;
    const QTreeWidgetItem* row = list->topLevelItem(index);
    for (int column = 0; column < list->columnCount(); ++column) values.append(row->text(column));
    return values;
}

void Click(QTreeWidget* list, int index, bool twice = false) {
    const QRect place = list->visualItemRect(list->topLevelItem(index));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

QString PathOf(const std::string& path) {
    return QString::fromStdString(path);
}

}  // namespace

class FrmPacksCreatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> app;
    std::unique_ptr<testing::TempFolder> pictures;
    std::unique_ptr<testing::TempFolder> out;
    std::unique_ptr<TFrmPacksCreator> window;

    std::string Picture(const std::string& name) const { return pictures->File(name); }

    // Adds pictures through the open dialog; the files in the dialog's order.
    QStringList Add(const QStringList& names) {
        FileAnswer how;
        how.returned = std::make_shared<QStringList>();
        AnswerFileDialog(pictures->Folder(), names, how);
        window->btnAdd->click();
        return *how.returned;
    }
    // Adds pictures one at a time, so that the rows come in this order.
    void AddEach(const QStringList& names) {
        for (const QString& name : names) Add({name});
    }
    void ShowDisplayPictures() { window->tabContent->setCurrentWidget(window->tabDipPicture); }
    // Generates into the output folder; the message that ends it is kept in `told`.
    void Generate(const std::string& name, FileAnswer how = {}) {
        if (!how.afterwards) how.afterwards = [this] { told = testing::AnswerMessageBox(); };
        AnswerFileDialog(out->Folder(), {QString::fromStdString(name)}, std::move(how));
        window->btnExport->click();
    }
    std::shared_ptr<testing::SeenBox> told;
    // Gives the emoticon in the row its own shortcut through Modify.
    void SetShortcut(int row, const QString& key) {
        window->lstEmoticons->setCurrentItem(window->lstEmoticons->topLevelItem(row));
        testing::AnswerNextModal([key](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            dialog->edtKey->setText(key);
            dialog->btnOk->click();
        });
        window->btnModfiy->click();
    }
    // Puts a .QZK pack's first byte back, so that the cabinet tools read it.
    std::string Restored(const std::string& qzk) const {
        const std::string cabinet = out->File("restored.cab");
        testing::WriteFile(cabinet, "M" + testing::ReadFile(qzk));
        return cabinet;
    }

private slots:
    void init() {
        app = std::make_unique<testing::TempFolder>();
        pictures = std::make_unique<testing::TempFolder>();
        out = std::make_unique<testing::TempFolder>();
        testing::WriteFile(app->File("Skins/MacOS.sui"), kSkin);
        fs::create_directories(app->Path() / "Preview");
        InstallGlobal(std::make_unique<TGlobal>(app->Folder()));
        QImage image(12, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(PathOf(Picture("smile.png"))));
        QVERIFY(image.save(PathOf(Picture("me.jpg"))));
        QVERIFY(image.save(PathOf(Picture("photo.jpeg"))));
        QVERIFY(image.save(PathOf(Picture("wink.bmp"))));
        // A one-pixel GIF: Qt reads GIFs but does not write them.
        testing::WriteFile(Picture("cool.gif"),
                           QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==").toStdString());
        testing::WriteFile(Picture("broken.png"), "not a picture at all");
        window = std::make_unique<TFrmPacksCreator>();
        window->show();
    }
    void cleanup() { window.reset(); }

    void theWindowIsLaidOutAndSkinned() {
        QCOMPARE(window->windowTitle(), QString("Packs Creator"));
        QCOMPARE(window->size(), QSize(557, 364));
        QCOMPARE(window->styleSheet(), QString(kSkin));
        QCOMPARE(window->tabContent->currentWidget(), window->tabEmoticons);
        QCOMPARE(window->tabContent->tabPosition(), QTabWidget::South);
        QCOMPARE(window->tabContent->tabText(0), QString("Emoticons"));
        QCOMPARE(window->tabContent->tabText(1), QString("Display Pictures"));
        const std::pair<QTreeWidget*, std::vector<std::pair<QString, int>>> lists[] = {
            {window->lstEmoticons, {{"FileName", 100}, {"Type", 80}, {"Name", 100}, {"Key", 100}, {"", 0}}},
            {window->lstDisPictures, {{"FileName", 120}, {"Type", 160}, {"Name", 120}, {"", 0}}},
        };
        for (const auto& [list, columns] : lists) {
            QCOMPARE(list->columnCount(), static_cast<int>(columns.size()));
            QCOMPARE(list->geometry(), QRect(8, 8, 409, 267));
            for (int i = 0; i < list->columnCount(); ++i) {
                QCOMPARE(list->headerItem()->text(i), columns[i].first);
                QCOMPARE(list->header()->sectionSize(i), columns[i].second);
            }
            QVERIFY(list->isColumnHidden(list->columnCount() - 1));
            QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        }
        const std::tuple<const char*, const char*, QPoint> buttons[] = {
            {"btnAdd", "Add", {440, 16}},           {"btnRemove", "Remove", {440, 48}},
            {"btnRemoveAll", "Remove All", {440, 80}}, {"btnModfiy", "Modify", {440, 112}},
            {"btnExport", "Generate", {352, 328}},  {"btnCancel", "Cancel", {456, 328}},
        };
        for (const auto& [name, caption, place] : buttons) {
            auto* button = window->findChild<QPushButton*>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), QString(caption));
            QCOMPARE(button->geometry(), QRect(place, QSize(90, 25)));
        }
        QCOMPARE(window->btnExport->toolTip(), QString("Generate a Pack"));
        QCOMPARE(window->btnImportPidgin->text(), QString("Import Pidgin Theme..."));
        QCOMPARE(window->btnImportPidgin->geometry(), QRect(8, 328, 150, 25));
        QCOMPARE(window->findChild<QFrame*>("pnlImage")->geometry(), QRect(434, 147, 105, 121));
        QVERIFY(window->findChild<QLabel*>("Image1")->hasScaledContents());
        QCOMPARE(window->opnImage->fileMode(), QFileDialog::ExistingFiles);
        QCOMPARE(window->opnImage->nameFilters(),
                 QStringList({"ALL (*.jpg;*.jpeg;*.png;*.bmp;*.gif)", "Jpeg Image File (*.jpeg)", "Jpeg Image File (*.jpg)",
                              // The dialog folds the two blanks after "Portable" into one.
                              "Portable Network Graphics (*.png)", "Bitmaps (*.bmp)", "GIF Image (*.gif)"}));
        QCOMPARE(window->savPack->nameFilters(),
                 QStringList({"Quillane Pack (*.QZK)", "Quillane pack (*.QZC)", "Quillane pack (*.CAB)",
                              "Messenger pack (*.mco)"}));

        Global().SkinFile = "Normal";
        TFrmPacksCreator plain;
        QCOMPARE(plain.styleSheet(), QString());
        TFrmModContent dialog;
        QCOMPARE(dialog.windowTitle(), QString("Quillane Modify"));
        QCOMPARE(dialog.size(), QSize(360, 221));
        QCOMPARE(dialog.styleSheet(), QString());
    }

    void addAppendsTheChosenFilesInTheDialogsOrderToTheActivePage() {
        const QStringList chosen = Add({"wink.bmp", "smile.png", "photo.jpeg"});
        QCOMPARE(chosen.size(), 3);
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 3);
        for (int i = 0; i < 3; ++i) QCOMPARE(Row(window->lstEmoticons, i).last(), chosen[i]);
        const QStringList wink = {"wink.bmp", "Emoticon", "wink", "/wink", PathOf(Picture("wink.bmp"))};
        const QStringList photo = {"photo.jpeg", "Emoticon", "photo.", "/photo.", PathOf(Picture("photo.jpeg"))};
        QCOMPARE(Row(window->lstEmoticons, chosen.indexOf(wink.last())), wink);
        QCOMPARE(Row(window->lstEmoticons, chosen.indexOf(photo.last())), photo);
        std::shared_ptr<testing::SeenBox> taken;
        AnswerFileDialog(pictures->Folder(), {"wink.bmp"}, ThenAnswerMessageBox(taken));
        window->btnAdd->click();
        QVERIFY(taken && taken->seen);
        QCOMPARE(Row(window->lstEmoticons, 3), wink);

        ShowDisplayPictures();
        Add({"smile.png"});
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 1);
        QCOMPARE(Row(window->lstDisPictures, 0),
                 QStringList({"smile.png", "Display Picture", "smile", PathOf(Picture("smile.png"))}));
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 4);

        CancelFileDialog();
        window->btnAdd->click();
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 1);
    }

    void aClickPreviewsThePictureAndABadOneIsReported() {
        AddEach({"smile.png", "me.jpg", "wink.bmp", "cool.gif", "broken.png", "photo.jpeg"});
        auto* image = window->findChild<QLabel*>("Image1");
        const QSize sizes[] = {{12, 8}, {12, 8}, {12, 8}, {1, 1}};
        for (int i = 0; i < 4; ++i) {
            Click(window->lstEmoticons, i);
            QCOMPARE(image->pixmap().size(), sizes[i]);
        }
        const qint64 shown = image->pixmap().cacheKey();

        fs::remove(Picture("photo.jpeg"));
        for (const int bad : {4, 5}) {
            const auto box = testing::AnswerMessageBox();
            Click(window->lstEmoticons, bad);
            QTRY_VERIFY(box->seen);
            QVERIFY2(box->text.startsWith("Invalid file format:") && box->text.endsWith(" Please remove it."),
                     qPrintable(box->text));
            QVERIFY(box->text.size() > QString("Invalid file format: Please remove it.").size());
            QCOMPARE(box->title, QString("Quillane"));
            QCOMPARE(box->icon, QMessageBox::Critical);
            QCOMPARE(image->pixmap().cacheKey(), shown);
        }
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 6);
    }

    void removeAndRemoveAllActOnTheActivePageOnly() {
        Add({"smile.png", "me.jpg", "wink.bmp"});
        ShowDisplayPictures();
        Add({"smile.png", "me.jpg"});

        window->btnRemove->click();  // nothing selected
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 2);
        const QStringList second = Row(window->lstDisPictures, 1);
        window->lstDisPictures->topLevelItem(0)->setSelected(true);
        window->btnRemove->click();
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 1);
        QCOMPARE(Row(window->lstDisPictures, 0), second);
        window->btnRemoveAll->click();
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 0);
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 3);

        window->tabContent->setCurrentWidget(window->tabEmoticons);
        const QStringList third = Row(window->lstEmoticons, 2);
        window->lstEmoticons->topLevelItem(1)->setSelected(true);
        window->btnRemove->click();
        QCOMPARE(Row(window->lstEmoticons, 1), third);
        window->btnRemoveAll->click();
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 0);
    }

    void modifyEditsTheNameAndOnEmoticonsTheShortcut() {
        AddEach({"smile.png", "me.jpg"});
        {
            ModalWatch watch;
            window->btnModfiy->click();  // nothing selected: no dialog
            QTest::qWait(50);
            QVERIFY(!watch.seen);
        }
        window->lstEmoticons->topLevelItem(1)->setSelected(true);
        testing::AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->edtName->text(), QString("me"));
            QCOMPARE(dialog->edtKey->text(), QString("/me"));
            QVERIFY(!dialog->edtKey->isHidden() && !dialog->labKey->isHidden());
            dialog->edtName->setText("Tom & Jérôme");
            dialog->edtKey->clear();
            dialog->btnOk->click();
        });
        window->btnModfiy->click();
        QCOMPARE(Row(window->lstEmoticons, 1).mid(0, 4), QStringList({"me.jpg", "Emoticon", "Tom & Jérôme", ""}));

        testing::AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            dialog->edtName->setText("never");
            dialog->btnCaption->click();
        });
        window->btnModfiy->click();
        QCOMPARE(Row(window->lstEmoticons, 1).at(2), QString("Tom & Jérôme"));

        ShowDisplayPictures();
        Add({"wink.bmp"});
        testing::AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            QVERIFY(dialog->edtKey->isHidden() && dialog->labKey->isHidden());
            dialog->edtName->setText("me at home");
            dialog->btnOk->click();
        });
        Click(window->lstDisPictures, 0, true);  // a double click modifies too
        QCOMPARE(Row(window->lstDisPictures, 0),
                 QStringList({"wink.bmp", "Display Picture", "me at home", PathOf(Picture("wink.bmp"))}));
    }

    // From the keyboard: Tab goes round in order, the arrow keys show the
    // picture reached, Delete removes it and Enter modifies it.
    void theListsAreWorkedFromTheKeyboard() {
        AddEach({"smile.png", "cool.gif", "wink.bmp"});
        // With a row chosen, Remove and Modify take the focus too.
        window->lstEmoticons->setCurrentItem(window->lstEmoticons->topLevelItem(0));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(testing::Focused(window.get()), QString("qt_tabwidget_tabbar"));
        QCOMPARE(testing::TabPath(window.get(), 9),
                 (QStringList{"lstEmoticons", "btnAdd", "btnRemove", "btnRemoveAll", "btnModfiy", "btnImportPidgin",
                              "btnExport", "btnCancel", "qt_tabwidget_tabbar"}));
        testing::PressKey(window.get(), Qt::Key_Tab);
        auto* image = window->findChild<QLabel*>("Image1");
        testing::PressKey(window.get(), Qt::Key_Down);
        QCOMPARE(window->lstEmoticons->selectedItems().value(0), window->lstEmoticons->topLevelItem(1));
        QCOMPARE(image->pixmap().size(), QSize(1, 1));

        testing::PressKey(window.get(), Qt::Key_Delete);
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 2);
        QCOMPARE(Row(window->lstEmoticons, 1).at(0), QString("wink.bmp"));

        testing::PressKey(window.get(), Qt::Key_Up);
        QCOMPARE(image->pixmap().size(), QSize(12, 8));
        testing::AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->edtName->text(), QString("smile"));
            dialog->edtName->setText("grin");
            dialog->btnOk->click();
        });
        testing::PressKey(window.get(), Qt::Key_Return);
        QCOMPARE(Row(window->lstEmoticons, 0).at(2), QString("grin"));
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 2);
    }

    void generateWritesAQzkPackThatTheCabinetToolsRead() {
        AddEach({"smile.png", "cool.gif"});
        window->lstEmoticons->topLevelItem(0)->setSelected(true);
        testing::AnswerNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            dialog->edtName->setText("Tom & \"Jérôme\" <3");
            dialog->edtKey->setText(":-&");
            dialog->btnOk->click();
        });
        window->btnModfiy->click();
        ShowDisplayPictures();
        Add({"me.jpg"});

        auto offered = std::make_shared<QString>();
        FileAnswer how;
        how.seenName = offered;
        Generate("pack.QZK", how);
        QCOMPARE(*offered, QString("pack.QZK"));
        QVERIFY(told && told->seen);
        QCOMPARE(told->icon, QMessageBox::Information);
        QCOMPARE(told->text, "Saved pack pack.QZK: 2 emoticons, 1 display picture.\nIt is in \"" + PathOf(out->Folder()) + "\".");
        const std::string pack = out->File("pack.QZK");
        QVERIFY(fs::exists(pack));
        QCOMPARE(testing::ReadFile(pack).substr(0, 3), std::string("SCF"));
        QVERIFY(!fs::exists(pack + ".temp"));
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 2);
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 1);
        QVERIFY(window->isVisible());

        const std::string cabinet = Restored(pack);
        const std::vector<std::string> order = {"smile.png", "cool.gif", "me.jpg", "content.xml"};
        QCOMPARE(testing::CabextractNames(cabinet), order);
        QVERIFY(testing::CabextractVerifies(cabinet));
        QCOMPARE(testing::GcabListing(cabinet).size(), order.size());

        testing::TempFolder extracted;
        const auto cabarc = testing::RunTool({testing::AppFolder() + "cabarc", "-o", "X", cabinet, "*.*", extracted.Folder()});
        QVERIFY2(cabarc.exitCode == 0, cabarc.output.c_str());
        for (size_t i = 0; i + 1 < order.size(); ++i) {
            QCOMPARE(testing::ReadFile(extracted.File(order[i])), testing::ReadFile(Picture(order[i])));
        }
        QVERIFY(testing::WellFormedXml(extracted.File("content.xml")));
        pugi::xml_document manifest;
        QVERIFY(manifest.load_file(extracted.File("content.xml").c_str()));
        std::vector<std::string> items;
        for (const pugi::xml_node item : manifest.child("package").children("item")) {
            items.push_back(std::string(item.attribute("file").value()) + "|" +
                            item.attribute("emoticon:displayname").value() + item.attribute("usertile:displayname").value() +
                            "|" + item.attribute("emoticon:keysequence").value());
        }
        QCOMPARE(items, (std::vector<std::string>{"smile.png|Tom & \"Jérôme\" <3|:-&", "cool.gif|cool|/cool", "me.jpg|me|"}));
        QCOMPARE(testing::ReadFile(extracted.File("content.xml")), testing::ReadFile(app->File("Preview/content.xml")));
    }

    void cabAndQzcArePlainCabinetsAndAnOldLongerFileLeavesNoTail() {
        Add({"smile.png"});
        testing::WriteFile(out->File("old.CAB"), std::string(200000, 'x'));
        FileAnswer replace;
        replace.overwrite = true;
        Generate("old.CAB", replace);
        Generate("new.QZC");
        for (const std::string name : {"old.CAB", "new.QZC"}) {
            const std::string pack = out->File(name);
            QCOMPARE(testing::ReadFile(pack).substr(0, 4), std::string("MSCF"));
            QVERIFY(testing::CabextractVerifies(pack));
            QCOMPARE(testing::ReadCabinetShape(pack).length, static_cast<long>(fs::file_size(pack)));
        }
        Generate("mine");  // the dialog adds its default extension
        QVERIFY(fs::exists(out->File("mine.QZK")));
    }

    void aNameWithoutExtensionTakesTheExtensionOfTheChosenType() {
        Add({"smile.png"});
        for (const auto& [steps, name] : {std::pair{1, "plain.QZC"}, std::pair{3, "messenger.mco"}}) {
            FileAnswer how;
            how.before = [steps](QFileDialog* dialog) {
                auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
                QVERIFY(types);
                types->setCurrentIndex(0);
                for (int step = 0; step < steps; ++step) QTest::keyClick(types, Qt::Key_Down);
            };
            Generate(QString(name).section('.', 0, 0).toStdString(), how);
            QVERIFY2(fs::exists(out->File(name)), name);
            QCOMPARE(testing::ReadFile(out->File(name)).substr(0, 4), std::string("MSCF"));
        }
        // The dialog keeps the type last chosen, and offers a name of that type.
        auto offered = std::make_shared<QString>();
        FileAnswer how;
        how.seenName = offered;
        Generate("again", how);
        QCOMPARE(*offered, QString("pack.mco"));
        QVERIFY(fs::exists(out->File("again.mco")));
    }

    void picturesOfOneFileNameFromTwoFoldersAreBothKept() {
        testing::TempFolder other;
        testing::WriteFile(other.File("smile.png"), "\x89PNG\r\n\x1A\n another smile");
        testing::WriteFile(other.File("SMILE-2.PNG"), "\x89PNG\r\n\x1A\n a third");
        Add({"smile.png"});
        std::shared_ptr<testing::SeenBox> taken;
        AnswerFileDialog(other.Folder(), {"smile.png"}, ThenAnswerMessageBox(taken));
        window->btnAdd->click();
        QVERIFY(taken && taken->seen);
        SetShortcut(1, "/smile2");
        ShowDisplayPictures();
        AnswerFileDialog(other.Folder(), {"SMILE-2.PNG"});
        window->btnAdd->click();
        Generate("twins.CAB");

        const std::string pack = out->File("twins.CAB");
        const std::vector<std::string> names = {"smile.png", "smile-3.png", "SMILE-2.PNG", "content.xml"};
        QCOMPARE(testing::CabextractNames(pack), names);
        testing::TempFolder extracted;
        testing::CabextractInto(pack, extracted.Folder());
        QCOMPARE(testing::ReadFile(extracted.File("smile.png")), testing::ReadFile(Picture("smile.png")));
        QCOMPARE(testing::ReadFile(extracted.File("smile-3.png")), testing::ReadFile(other.File("smile.png")));
        QCOMPARE(testing::ReadFile(extracted.File("SMILE-2.PNG")), testing::ReadFile(other.File("SMILE-2.PNG")));
        pugi::xml_document manifest;
        QVERIFY(manifest.load_file(extracted.File("content.xml").c_str()));
        std::vector<std::string> files;
        for (const pugi::xml_node item : manifest.child("package").children("item")) files.push_back(item.attribute("file").value());
        QCOMPARE(files, std::vector<std::string>(names.begin(), names.end() - 1));
    }

    void aPidginThemeFillsTheEmoticonListAndWhatItLeavesIsNamed() {
        fs::create_directories(pictures->Path() / "sub");
        testing::WriteFile(Picture("sub/inner.gif"), "GIF89a inner");
        testing::WriteFile(Picture("sub/theme"), "[MSN]\ninner.gif :i\n[XMPP]\ninner.gif :x\n");
        testing::WriteFile(Picture("theme"),
                           "Name=Odd <b>one</b>\n"
                           "[first]\n"
                           "me.jpg :first\n"
                           "[default] the rest is ignored\n"
                           "smile.png :) :-)\n"
                           "cool.gif \\\\o/\n"
                           "! wink.bmp ;)\n"
                           "gone.gif :(\n"
                           "broken.png :b\n"
                           "../outside.gif :o\n"
                           "photo.jpeg\n"
                           "me.jpg bad\x01one \xFF\n"
                           "# wink.bmp :#\n"
                           "name=q\n"
                           "  smile.png :smile\n"
                           "wink.bmp <b>w</b>\n");
        ShowDisplayPictures();
        std::shared_ptr<testing::SeenBox> box;
        AnswerFileDialog(fs::path(pictures->Folder()).parent_path().parent_path().string(),
                         {QString::fromStdString(fs::path(pictures->Folder()).parent_path().filename().string())},
                         ThenAnswerMessageBox(box));
        window->btnImportPidgin->click();
        QVERIFY(box && box->seen);
        QCOMPARE(window->tabContent->currentWidget(), window->tabEmoticons);
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 3);
        QCOMPARE(Row(window->lstEmoticons, 0), QStringList({"smile.png", "Emoticon", "smile", ":)", PathOf(Picture("smile.png"))}));
        QCOMPARE(Row(window->lstEmoticons, 1), QStringList({"cool.gif", "Emoticon", "cool", "\\o/", PathOf(Picture("cool.gif"))}));
        QCOMPARE(Row(window->lstEmoticons, 2),
                 QStringList({"wink.bmp", "Emoticon", "wink", "<b>w</b>", PathOf(Picture("wink.bmp"))}));
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 0);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(box->text, "Added 3 emoticons from the Pidgin smiley theme " + PathOf(Picture("theme")) +
                                ".\n\nLeft out:\n"
                                "smile.png: the further shortcuts :-) :smile (a Messenger emoticon has one)\n"
                                "wink.bmp: hidden in the theme\n"
                                "gone.gif: missing\n"
                                "broken.png: not a GIF, PNG, JPEG or BMP picture\n"
                                "../outside.gif: not in the theme's folder\n"
                                "photo.jpeg: no shortcut that a Messenger pack can hold\n"
                                "me.jpg: the shortcuts bad\x01one \xC3\xBF, which a Messenger pack cannot hold\n"
                                "me.jpg: no shortcut that a Messenger pack can hold");

        // The theme file itself may be chosen; the pack made of it holds what was imported.
        window->btnRemoveAll->click();
        AnswerFileDialog(pictures->Folder() + "sub", {"theme"}, ThenAnswerMessageBox(box));
        window->btnImportPidgin->click();
        QVERIFY(box && box->seen);
        QCOMPARE(box->icon, QMessageBox::Information);
        QCOMPARE(box->text, "Added 1 emoticon from the Pidgin smiley theme " + PathOf(Picture("sub/theme")) + ".");
        QCOMPARE(Row(window->lstEmoticons, 0).mid(2, 2), QStringList({"inner", ":i"}));

        testing::WriteFile(Picture("notes.txt"), "Name=notes\nsmile.png :)\n");
        AnswerFileDialog(pictures->Folder(), {"notes.txt"}, ThenAnswerMessageBox(box));
        window->btnImportPidgin->click();
        QVERIFY(box && box->seen);
        QCOMPARE(box->icon, QMessageBox::Critical);
        QCOMPARE(box->text, "The file " + PathOf(Picture("notes.txt")) +
                                " is not a Pidgin smiley theme: it has no section of smileys.");
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 1);
    }

    // Each button acts only where it can: with empty lists no pack can be
    // generated and the list says how pictures come in; each page shows the
    // picture chosen in its own list, or none.
    void theButtonsAndThePictureFollowTheListsAndNoEmptyPackIsMade() {
        QVERIFY(!window->btnExport->isEnabled() && !window->btnRemoveAll->isEnabled());
        auto* hint = window->findChild<QLabel*>("lblNoEmoticons");
        QVERIFY(hint && hint->isVisible());
        {
            ModalWatch watch;
            window->btnExport->click();
            QTest::qWait(50);
            QVERIFY(!watch.seen);
        }
        Add({"smile.png"});
        QVERIFY(!hint->isVisible() && window->btnExport->isEnabled() && window->btnRemoveAll->isEnabled());
        QVERIFY(!window->btnRemove->isEnabled() && !window->btnModfiy->isEnabled());
        Click(window->lstEmoticons, 0);
        QVERIFY(window->btnRemove->isEnabled() && window->btnModfiy->isEnabled());
        auto* image = window->findChild<QLabel*>("Image1");
        QCOMPARE(image->pixmap().size(), QSize(12, 8));
        ShowDisplayPictures();
        QVERIFY(image->pixmap().isNull() && !window->btnRemove->isEnabled() && !window->btnRemoveAll->isEnabled());
        window->tabContent->setCurrentWidget(window->tabEmoticons);
        QCOMPARE(image->pixmap().size(), QSize(12, 8));
        window->btnRemove->click();
        QVERIFY(image->pixmap().isNull() && !window->btnExport->isEnabled() && hint->isVisible());
        QVERIFY(fs::is_empty(out->Path()));
    }

    void cancellingTheSaveDialogWritesNothing() {
        Add({"smile.png"});
        CancelFileDialog();
        window->btnExport->click();
        QVERIFY(fs::is_empty(out->Path()));
        QVERIFY(!fs::exists(app->File("Preview/content.xml")));
    }

    void theListsTakeNoEditsWhileAPackIsGenerated() {
        Add({"smile.png", "me.jpg", "wink.bmp"});
        auto during = std::make_shared<std::vector<bool>>();
        testing::AnswerNextModal([this, during](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            // Runs while the pack is generated, between pictures.
            QTimer::singleShot(0, window.get(), [this, during] {
                *during = {window->lstEmoticons->isEnabled(), window->lstDisPictures->isEnabled(),
                           window->btnAdd->isEnabled(), window->btnRemove->isEnabled(),
                           window->btnRemoveAll->isEnabled(), window->btnModfiy->isEnabled(),
                           window->btnExport->isEnabled(), window->btnImportPidgin->isEnabled()};
            });
            dialog->setDirectory(QString::fromStdString(out->Folder()));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("busy.QZK");
            QMetaObject::invokeMethod(dialog, "accept");
            told = testing::AnswerMessageBox();
        });
        window->btnExport->click();
        QCOMPARE(*during, std::vector<bool>(8, false));
        QVERIFY(fs::exists(out->File("busy.QZK")));
        for (QWidget* control : std::initializer_list<QWidget*>{window->lstEmoticons, window->btnAdd, window->btnExport}) {
            QVERIFY(control->isEnabled());
        }
    }

    void aMissingPictureIsLeftOutAndNamed() {
        AddEach({"smile.png", "me.jpg"});
        fs::remove(Picture("me.jpg"));
        std::shared_ptr<testing::SeenBox> box;
        Generate("pack.CAB", ThenAnswerMessageBox(box));
        QVERIFY(box && box->seen);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QVERIFY2(box->text.contains(PathOf(Picture("me.jpg"))), qPrintable(box->text));
        QCOMPARE(testing::CabextractNames(out->File("pack.CAB")), (std::vector<std::string>{"smile.png", "content.xml"}));
        QVERIFY(window->btnAdd->isEnabled());
    }

    void picturesWhoseNamesAreNotUtf8AreNamedWhenTheDialogCloses() {
        fs::copy_file(testing::WindowsTextFile("pictures/Caf\xE9.gif"), Picture("Caf\xE9.gif"));
        std::shared_ptr<testing::SeenBox> box;
        AnswerFileDialog(pictures->Folder(), {"cool.gif"}, ThenAnswerMessageBox(box));
        window->btnAdd->click();
        QVERIFY(box && box->seen);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(box->text, QString("These pictures cannot be added because their file names are not UTF-8 text. "
                                    "Please rename them and add them again:\nCafé.gif"));
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 1);
        QCOMPARE(Row(window->lstEmoticons, 0).first(), QString("cool.gif"));

        fs::remove(Picture("Caf\xE9.gif"));
        testing::MessageBoxRecorder boxes;
        Add({"smile.png"});
        QVERIFY(boxes.Texts().isEmpty());
    }

    void picturesDroppedOnAListAreAddedWithTheChecksOfAdd() {
        fs::copy_file(testing::WindowsTextFile("pictures/Caf\xE9.gif"), Picture("Caf\xE9.gif"));
        testing::WriteFile(Picture("notes.txt"), "not a picture");
        ShowDisplayPictures();
        QMimeData data;
        // A file manager names a file that is not UTF-8 by its bytes.
        data.setUrls({QUrl::fromLocalFile(PathOf(Picture("smile.png"))), QUrl::fromLocalFile(PathOf(Picture("notes.txt"))),
                      QUrl::fromEncoded("file://" + QByteArray::fromStdString(pictures->Folder()).toPercentEncoding("/") +
                                        "Caf%E9.gif")});
        QWidget* target = window->lstDisPictures->viewport();
        QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        testing::MessageBoxRecorder boxes;
        QDropEvent drop(target->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        QCOMPARE(boxes.Texts(), QStringList({"These pictures cannot be added because their file names are not UTF-8 text. "
                                             "Please rename them and add them again:\nCafé.gif",
                                             "These files cannot be added because they are not JPEG, PNG, BMP or GIF "
                                             "pictures:\nnotes.txt"}));
        QCOMPARE(window->lstDisPictures->topLevelItemCount(), 1);
        QCOMPARE(Row(window->lstDisPictures, 0),
                 QStringList({"smile.png", "Display Picture", "smile", PathOf(Picture("smile.png"))}));
        QCOMPARE(window->lstEmoticons->topLevelItemCount(), 0);
    }

    void aManifestThatCannotBeWrittenIsReportedAndNoPackIsMade() {
        Add({"smile.png"});
        fs::remove_all(app->Path() / "Preview");
        std::shared_ptr<testing::SeenBox> box;
        Generate("pack.QZK", ThenAnswerMessageBox(box));
        QVERIFY(box && box->seen);
        QCOMPARE(box->title, QString("Quillane"));
        QCOMPARE(box->icon, QMessageBox::Critical);
        QVERIFY2(box->text.startsWith("Cannot write the pack's manifest"), qPrintable(box->text));
        QVERIFY(fs::is_empty(out->Path()));
        QVERIFY(window->btnExport->isEnabled());
    }

    // Messenger uses one picture per shortcut: Add and Modify say which
    // picture has a shortcut already, and Generate refuses a shared one.
    void aShortcutTakenIsNamedAndNoPackHoldsItTwice() {
        AddEach({"smile.png", "cool.gif"});
        SetShortcut(1, ":D");
        std::shared_ptr<testing::SeenBox> box;
        AnswerFileDialog(pictures->Folder(), {"smile.png"}, ThenAnswerMessageBox(box));
        window->btnAdd->click();
        QVERIFY(box && box->seen);
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(box->text, QString("These shortcuts were already taken, and Messenger uses one picture per shortcut. "
                                    "Please give each picture its own with Modify:\n"
                                    "/smile: \"smile\" (smile.png), \"smile\" (smile.png)"));

        window->lstEmoticons->setCurrentItem(window->lstEmoticons->topLevelItem(2));
        auto said = std::make_shared<QString>();
        testing::AnswerNextModal([said](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmModContent*>(modal);
            QVERIFY(dialog);
            const auto* taken = dialog->findChild<QLabel*>("labKeyTaken");
            *said = taken ? taken->text() : QString();
            dialog->edtKey->setText(":D");
            *said += "|" + (taken && taken->isVisible() ? taken->text() : QString());
            dialog->btnOk->click();
        });
        window->btnModfiy->click();
        QCOMPARE(*said, QString("Already the shortcut of \"smile\" (smile.png).|Already the shortcut of \"cool\" (cool.gif)."));

        {
            testing::MessageBoxRecorder boxes;
            window->btnExport->click();
            QCOMPARE(boxes.Texts(), QStringList("Some pictures share a shortcut, and Messenger uses only one picture per "
                                                "shortcut. Please give each its own with Modify, then generate the pack "
                                                "again:\n:D: \"cool\" (cool.gif), \"smile\" (smile.png)"));
        }
        QVERIFY(fs::is_empty(out->Path()));
        SetShortcut(2, ":-D");
        Generate("distinct.QZK");
        QVERIFY(fs::exists(out->File("distinct.QZK")));

        // A theme's shortcut taken already is named in the import's one message.
        testing::WriteFile(Picture("theme"), "[default]\ncool.gif :-D\n");
        AnswerFileDialog(pictures->Folder(), {"theme"}, ThenAnswerMessageBox(box));
        window->btnImportPidgin->click();
        QVERIFY(box && box->seen);
        QVERIFY2(box->text.startsWith("Added 1 emoticon from the Pidgin smiley theme ") &&
                     box->text.endsWith("\n\nThese shortcuts were already taken, and Messenger uses one picture per shortcut. "
                                        "Please give each picture its own with Modify:\n"
                                        ":-D: \"smile\" (smile.png), \"cool\" (cool.gif)"),
                 qPrintable(box->text));
    }

    // Cancel, Escape and the close button ask before lists that changed are
    // thrown away; after Generate, or with empty lists, the window just closes.
    void changedListsAreNotThrownAwayUnasked() {
        window->btnCancel->click();
        QVERIFY(!window->isVisible());
        window->show();
        AddEach({"smile.png", "cool.gif"});
        for (const auto& close : std::initializer_list<std::function<void()>>{
                 [this] { window->btnCancel->click(); }, [this] { QTest::keyClick(window.get(), Qt::Key_Escape); },
                 [this] { window->close(); }}) {
            auto asked = std::make_shared<QString>();
            testing::AnswerNextModal([asked](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                *asked = box->text();
                box->button(QMessageBox::No)->click();
            });
            close();
            QCOMPARE(*asked, QString("The lists hold 2 pictures and have changed since the Packs Creator opened or "
                                          "last generated a pack. Close it and lose the changes?"));
            QVERIFY(window->isVisible());
        }
        Generate("kept.QZK");
        window->btnCancel->click();
        QVERIFY(!window->isVisible());
    }

    void eachRunOpensAFreshWindowAndCancelClosesIt() {
        window.reset();
        auto rows = std::make_shared<std::vector<int>>();
        for (int run = 0; run < 2; ++run) {
            testing::AnswerNextModal([this, rows](QWidget* modal) {
                auto* creator = qobject_cast<TFrmPacksCreator*>(modal);
                QVERIFY(creator);
                rows->push_back(creator->lstEmoticons->topLevelItemCount());
                AnswerFileDialog(pictures->Folder(), {"smile.png"});
                creator->btnAdd->click();
                rows->push_back(creator->lstEmoticons->topLevelItemCount());
                testing::AnswerNextModal([](QWidget* question) {
                    auto* box = qobject_cast<QMessageBox*>(question);
                    QVERIFY(box);
                    box->button(QMessageBox::Yes)->click();
                });
                creator->btnCancel->click();
            });
            RunPacksCreator(nullptr);
        }
        QCOMPARE(*rows, (std::vector<int>{0, 1, 0, 1}));
    }
};

QTEST_MAIN(FrmPacksCreatorTest)
#include "FrmPacksCreatorTest.moc"
