#include "SkinEngine.h"

#include "WinksGlobal.h"

#include <QFile>

namespace quillane {

void TSkinEngine::SetActive(bool active) {
    active_ = active;
    if (active_) {
        Apply();
    } else if (window_) {
        window_->setStyleSheet(QString());
    }
}

void TSkinEngine::ApplyGlobalSkin() {
    if (Global().SkinFile != "Normal") {
        SetSkinFile(QString::fromStdString(Global().SkinPath));
        SetActive(true);
    } else {
        SetActive(false);
    }
}

void TSkinEngine::Apply() {
    if (!window_) return;
    QFile file(skinFile_);
    // A missing or unreadable skin leaves the plain look.
    const QString sheet = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    window_->setStyleSheet(sheet);
}

}  // namespace quillane
