#pragma once

#include <QString>

namespace quillane {

// The emoji a Messenger shortcut stands for (":)" 🙂, "(L)" ❤️, letter case
// ignored), or `otherwise` when it stands for none that everyone knows.
QString EmojiForShortcut(const QString& shortcut, const QString& otherwise);

}  // namespace quillane
