// Every window of the program, in every bundled skin, shows its captions whole.
#include "FrmInstallU.h"
#include "FrmInstalledContent.h"
#include "FrmModContentU.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "PacksMarkerU.h"
#include "UFrmAddPack.h"
#include "WindowTestMain.h"
#include "uAbout.h"

#include <QAbstractButton>
#include <QLabel>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

// The captions of the window that are shown smaller than their text needs.
QStringList CutCaptions(QWidget* window) {
    window->ensurePolished();
    QStringList cut;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        control->ensurePolished();
        auto* label = qobject_cast<QLabel*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        const QString text = label ? label->text() : button ? button->text() : QString();
        if (text.isEmpty() || !control->isVisibleTo(window) || (label && (label->wordWrap() || label->hasScaledContents()))) continue;
        const QSize need = control->sizeHint();
        if (control->width() < need.width() || control->height() < need.height()) {
            cut << QString("%1 \"%2\" is %3x%4 of %5x%6")
                       .arg(control->objectName(), text)
                       .arg(control->width())
                       .arg(control->height())
                       .arg(need.width())
                       .arg(need.height());
        }
        // A caption grown to fit stays inside its window.
        if (!window->rect().contains(QRect(control->mapTo(window, QPoint()), control->size()))) {
            cut << control->objectName() + " \"" + text + "\" reaches out of the window";
        }
    }
    return cut;
}

}  // namespace

class TextsFitTest : public QObject {
    Q_OBJECT

private slots:
    void everyCaptionIsShownWholeInEveryWindowAndSkin() {
        QStringList cut;
        std::vector<std::string> skins = {"Normal"};
        for (const auto& skin : fs::directory_iterator(testing::AppFolder() + "Skins")) skins.push_back(skin.path().filename().string());
        for (const std::string& name : skins) {
            auto folders = std::make_unique<testing::WindowTestFolders>();
            fs::create_directories(folders->AppFile("Skins"));
            if (name != "Normal") fs::copy_file(testing::AppFolder() + "Skins/" + name, folders->AppFile("Skins/" + name));
            testing::WriteFile(folders->AppFile("Config.ini"), "[Config]\r\nSkinFile=" + name + "\r\n");
            auto window = testing::ShowMainWindowOverBundledCatalogue(*folders);
            QVERIFY(window);
            const auto check = [&](QWidget* shown) {
                for (const QString& caption : CutCaptions(shown)) cut << QString::fromStdString(name) + ": " + caption;
            };
            check(window.get());
            // A folder's collection in the tree's place, with its own buttons.
            window->OpenCollection(testing::AppFolder() + "msnpack");
            QTest::qWait(50);
            check(window.get());
            window->CloseCollection();
            // Made over the main window, as the program makes them, so that they wear its skin.
            for (QDialog* dialog : std::initializer_list<QDialog*>{
                     new TFrmPacksCreator(window.get()), new TFrmModContent(window.get()),
                     new TFrmInstalledContent(folders->AppFile("store"), window.get()), new TFrmAddPack(window.get()),
                     new TFrmAbout(window.get())}) {
                dialog->show();
                QVERIFY(QTest::qWaitForWindowExposed(dialog));
                check(dialog);
                dialog->hide();
            }
            // The install window starts its work when shown: it is checked as it is laid out.
            check(new TFrmInstall(window.get()));
            testing::CloseMainWindow(window, folders);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }
};

QUILLANE_WINDOW_TEST_MAIN(TextsFitTest)
#include "TextsFitTest.moc"
