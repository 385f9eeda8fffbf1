#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace quillane {

// Repaints one window from a skin file. A skin file (.sui) is a Qt style
// sheet; switching the engine off gives the window back its plain look.
class TSkinEngine {
public:
    explicit TSkinEngine(QWidget* window) : window_(window) {}

    void SetSkinFile(const QString& path) { skinFile_ = path; if (active_) Apply(); }
    const QString& SkinFile() const { return skinFile_; }

    void SetActive(bool active);
    bool Active() const { return active_; }

    // What every window does when it is created: the chosen skin, or none for "Normal".
    void ApplyGlobalSkin();

private:
    void Apply();

    QPointer<QWidget> window_;
    QString skinFile_;
    bool active_ = false;
};

}  // namespace quillane
