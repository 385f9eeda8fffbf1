#include "SearchKey.h"

namespace quillane {
namespace {

bool IsAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) return false;
    }
    return true;
}

}  // namespace

QString SearchKey(const QString& text) {
    // Most titles are plain ASCII; they need neither decomposition nor folding tables.
    if (IsAscii(text)) return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing) key.append(c);
    }
    return key.toCaseFolded();
}

}  // namespace quillane
