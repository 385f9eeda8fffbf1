// Editing a user list through the main window: Add and Delete.
#include "CatalogueTreeModel.h"
#include "FlashView.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "UFrmAddPack.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QTime>
#include <QTreeView>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

class EditListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;
    std::string list;
    std::string pack;

    std::string AppFile(const std::string& name) const { return folders->AppFile(name); }

    // Fills the Add dialog as a user does and accepts it.
    void AnswerAdd(const QString& displayName) {
        testing::AnswerNextModal([this, displayName](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmAddPack*>(modal);
            QVERIFY(dialog);
            // Every caption is shown whole, clear of the fields beside it.
            for (QLabel* label : {dialog->lblPack, dialog->lblDispName}) {
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
                QVERIFY2(label->geometry().right() < dialog->edtPack->x(), qPrintable(label->text()));
            }
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
                QVERIFY(dialog->rect().contains(button->geometry()));
            }
            testing::AnswerFileDialog(pack);
            dialog->BitBtn2->click();
            QCOMPARE(dialog->edtPack->text(), QString::fromStdString(pack));
            QCOMPARE(dialog->edtDispName->text(), QString("cool.QZK"));
            dialog->edtDispName->setText(displayName);
            dialog->BitBtn1->click();
        });
    }

    void RightClick() {
        QTest::mouseClick(window->treWinksList->viewport(), Qt::RightButton, {}, QPoint(20, 8));
    }

    void ClickPack(int row) {
        const QModelIndex category = window->treWinksList->model()->index(0, 0);
        const QModelIndex target = window->treWinksList->model()->index(row, 0, category);
        QTest::mouseClick(window->treWinksList->viewport(), Qt::LeftButton, {},
                          window->treWinksList->visualRect(target).center());
    }

    std::vector<std::string> Titles() {
        TCatalogueDocument document;
        document.Load(list);
        std::vector<std::string> titles;
        for (const CatalogueNode item : document.Children(document.Child(document.Root(), 0))) {
            titles.push_back(document.AttributeText(item, "ContentTitle"));
        }
        return titles;
    }

private slots:
    void init() {
        folders = std::make_unique<testing::WindowTestFolders>();
        testing::WriteFile(AppFile("content.dat"), "<ContentList><Winks><Item ContentTitle=\"Default\"/></Winks></ContentList>");
        pack = folders->temp.Folder() + "packs/cool.QZK";
        testing::WriteFile(pack, testing::ReadFile(testing::AppFolder() + "msnpack/heart.QZK"));
        list = AppFile("lists/mine.mpl");
        testing::WriteFile(list, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ContentList><Emoticons>"
                                 "<Item ContentTitle=\"First\" DownloadUrl=\"a\" Rating=\"1\"/>"
                                 "<Item ContentTitle=\"Second\" DownloadUrl=\"b\" Rating=\"2\"/>"
                                 "</Emoticons><Winks/></ContentList>");
        window = testing::ShowMainWindow(*folders);
        QVERIFY(window);
    }

    void cleanup() { testing::CloseMainWindow(window, folders); }

    void theMenuIsOfferedOnlyForUserLists() {
        RightClick();
        QTest::qWait(50);
        QVERIFY(window->popModItem->isHidden());
        window->LoadPackList(list);
        window->ListFileName = list;
        ClickPack(1);
        const QModelIndex before = window->treWinksList->currentIndex();
        QVERIFY(before.isValid());
        RightClick();
        QTRY_VERIFY(window->popModItem->isVisible());
        QCOMPARE(window->popModItem->actions().size(), 2);
        QCOMPARE(window->popModItem->actions()[0]->text(), QString("Add"));
        QCOMPARE(window->popModItem->actions()[1]->text(), QString("Delete"));
        window->popModItem->hide();
        QCOMPARE(window->treWinksList->currentIndex(), before);
    }

    void addRefusesEmptyFieldsThenCopiesThePackAndListsIt() {
        window->LoadPackList(list);
        window->ListFileName = list;
        testing::MessageBoxRecorder boxes;
        testing::AnswerNextModal([this](QWidget* modal) {
            auto* dialog = qobject_cast<TFrmAddPack*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Add new pack"));
            QVERIFY(dialog->edtPack->isReadOnly());
            dialog->BitBtn1->click();
            dialog->edtPack->setText(QString::fromStdString(pack));
            dialog->edtDispName->setText("   ");
            dialog->BitBtn1->click();
            QVERIFY(dialog->isVisible());
            dialog->edtDispName->setText("cool.QZK");
            dialog->BitBtn1->click();
        });
        window->Addnewitem1->trigger();
        QCOMPARE(boxes.Texts(), (QStringList{"The Pack File field can not be empty!",
                                             "The Display Name field can not be empty!"}));
        QCOMPARE(testing::ReadFile(AppFile("userpack/cool.QZK")), testing::ReadFile(pack));
        QCOMPARE(Titles(), (std::vector<std::string>{"First", "Second", "cool.QZK"}));
        const std::string text = testing::ReadFile(list);
        QVERIFY(text.find("ContentTitle=\"cool.QZK\" PrePath=\"\" DownloadUrl=\"" + AppFile("userpack/cool.QZK") + "\"") !=
                std::string::npos);
        QVERIFY(text.find("Rating=\"2\"") != std::string::npos);
        QCOMPARE(window->StatusText(), QString("3 Quillane pack in the list."));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
    }

    void aSecondCopyGetsTheTimeOfDay() {
        window->LoadPackList(list);
        window->ListFileName = list;
        testing::WriteFile(AppFile("userpack/cool.QZK"), "an earlier copy");
        const QTime before = QTime::currentTime();
        AnswerAdd("Cool again");
        window->Addnewitem1->trigger();
        TCatalogueDocument document;
        document.Load(list);
        const std::string destination =
            document.AttributeText(document.Child(document.Child(document.Root(), 0), 2), "DownloadUrl");
        const std::string name = fs::path(destination).filename().string();
        QCOMPARE(name.size(), std::string("hhnnsscool.QZK").size());
        const QTime stamped = QTime::fromString(QString::fromStdString(name.substr(0, 6)), "hhmmss");
        QVERIFY2(stamped.isValid() && before.secsTo(stamped) >= 0 && before.secsTo(stamped) <= 5, name.c_str());
        QCOMPARE(testing::ReadFile(destination), testing::ReadFile(pack));
        QCOMPARE(testing::ReadFile(AppFile("userpack/cool.QZK")), std::string("an earlier copy"));
    }

    void aThirdCopyInTheSameSecondGetsANumberAndNeverReplacesAFile() {
        window->LoadPackList(list);
        window->ListFileName = list;
        testing::WriteFile(AppFile("userpack/cool.QZK"), "an earlier copy");
        // Every time-prefixed name of the next seconds is taken too, so a numbered one must follow.
        std::vector<std::string> taken;
        for (int s = 0; s < 5; ++s) {
            const std::string name =
                AppFile("userpack/" + QTime::currentTime().addSecs(s).toString("hhmmss").toStdString() + "cool.QZK");
            testing::WriteFile(name, "taken");
            taken.push_back(name);
        }
        AnswerAdd("Cool again");
        window->Addnewitem1->trigger();
        QCOMPARE(testing::ReadFile(AppFile("userpack/cool.QZK")), std::string("an earlier copy"));
        for (const auto& name : taken) QCOMPARE(testing::ReadFile(name), std::string("taken"));
        TCatalogueDocument document;
        document.Load(list);
        const CatalogueNode added = document.Child(document.Child(document.Root(), 0), 2);
        const std::string destination = document.AttributeText(added, "DownloadUrl");
        QVERIFY2(destination.find("-2cool.QZK") != std::string::npos, destination.c_str());
        QCOMPARE(testing::ReadFile(destination), testing::ReadFile(pack));
    }

    void deleteRemovesTheClickedPackAndNothingRightAfterALoad() {
        window->LoadPackList(list);
        window->ListFileName = list;
        window->deleteitem1->trigger();
        QCOMPARE(Titles(), (std::vector<std::string>{"First", "Second"}));

        ClickPack(0);
        QCOMPARE(window->CurrentItem.attribute("ContentTitle").value(), std::string("First"));
        window->deleteitem1->trigger();
        QCOMPARE(Titles(), std::vector<std::string>{"Second"});
        QVERIFY(testing::ReadFile(list).find("Rating=\"2\"") != std::string::npos);
        QVERIFY(!window->CurrentItem);
        QCOMPARE(window->StatusText(), QString("1 Quillane pack in the list."));
    }

    void afterAFailedLoadNoCommandReachesTheDiscardedList() {
        const std::string illFormed = AppFile("lists/broken.mpl");
        const std::string untitled = AppFile("lists/untitled.mpl");
        testing::WriteFile(illFormed, "<ContentList><Emoticons><Item ContentTitle=\"Cut");
        testing::WriteFile(untitled, "<ContentList><Emoticons><Item DownloadUrl=\"x\"/></Emoticons></ContentList>");
        for (const std::string& failing : {illFormed, untitled}) {
            window->LoadPackList(list);
            window->ListFileName = list;
            ClickPack(0);
            QVERIFY(window->CurrentItem);
            testing::MessageBoxRecorder boxes;
            window->LoadPackList(failing);
            window->ListFileName = failing;
            QVERIFY(!window->CurrentItem);
            window->deleteitem1->trigger();
            window->treWinksListClick();
            window->actInstall->setEnabled(true);
            window->actInstall->trigger();
            QCOMPARE(boxes.Texts(), (QStringList{"Load the Quillane pack list failed.Please click Upgrade button to "
                                                 "Get new Quillane list .",
                                                 "Please select a pack on the left list."}));
            QCOMPARE(Titles(), (std::vector<std::string>{"First", "Second"}));
        }
        QCOMPARE(testing::ReadFile(illFormed), std::string("<ContentList><Emoticons><Item ContentTitle=\"Cut"));
    }
};

QUILLANE_WINDOW_TEST_MAIN(EditListTest)
#include "EditListTest.moc"
