// The Upgrade command: the vendor's newer catalogue replaces content.dat.
#include "FrmMainU.h"

#include "CatalogueUpdate.h"
#include "ErrorBox.h"
#include "HttpClient.h"
#include "WinksGlobal.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace quillane {
namespace {

// The main window as the update sees it.
class UpgradeWindow : public TUpgradeWindow {
public:
    explicit UpgradeWindow(TFrmMain& window) : window_(window) {}

    void SetStatusText(const std::string& text) override { window_.SetStatusText(QString::fromStdString(text)); }

    void ShowSuccess(const std::string& text) override {
        SetStatusText(text);
        ShowMessageBox(&window_, QMessageBox::Information, QString::fromStdString(text), QMessageBox::Ok, "UpgradeDoneBox");
        QCoreApplication::processEvents();
    }

    void ReloadCatalogue() override { window_.LoadPackList(Global().CatalogueFile()); }

private:
    TFrmMain& window_;
};

}  // namespace

void TFrmMain::actUpgradeExecute() {
    SetActionsEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        UpgradeWindow window(*this);
        RunCatalogueUpdate(*httpUpgrade, window);
    } catch (const std::exception&) {
        SetStatusText("updated unsuccessfully");
    }
    SetActionsEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace quillane
