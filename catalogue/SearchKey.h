#pragma once

#include <QString>

namespace quillane {

// Text as the filter compares it: letter case folded and accents dropped, so
// that "sun" finds "Sunrise" and "cafe" finds "Café".
QString SearchKey(const QString& text);

}  // namespace quillane
