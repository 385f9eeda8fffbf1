#include "ShortcutEmoji.h"

#include <QHash>

namespace quillane {

QString EmojiForShortcut(const QString& shortcut, const QString& otherwise) {
    // Messenger's own shortcuts, and the emoji today's programs show for the same face or thing.
    static const QHash<QString, QString> emoji = {
        {":)", "🙂"},   {":-)", "🙂"},  {":(", "🙁"},   {":-(", "🙁"},  {";)", "😉"},   {";-)", "😉"},   {":d", "😀"},
        {":-d", "😀"},  {":p", "😛"},   {":-p", "😛"},  {":o", "😮"},   {":-o", "😮"},  {"(h)", "😎"},   {"(l)", "❤️"},
        {"(u)", "💔"},  {":s", "😕"},   {":-s", "😕"},  {":$", "😳"},   {":-$", "😳"},  {":@", "😠"},    {":-@", "😠"},
        {":'(", "😢"},  {"(y)", "👍"},  {"(n)", "👎"},  {"(k)", "💋"},  {"(f)", "🌹"},  {"(*)", "⭐"},   {"(8)", "🎵"},
        {"(^)", "🎂"},  {"(g)", "🎁"},  {"(c)", "☕"},  {"(b)", "🍺"},  {"(d)", "🍸"},  {"(i)", "💡"},   {"(s)", "🌙"},
        {"(#)", "☀️"},  {"(r)", "🌈"},  {"(e)", "📧"},  {"(t)", "📞"},  {"(o)", "🕒"},  {"(m)", "💬"},   {"|-)", "😴"},
        {"8-|", "🤓"},  {"+o(", "🤢"},  {":-#", "🤐"},  {"8o|", "😬"},  {"*-)", "🤔"},  {"8-)", "🙄"},   {"(a)", "😇"},
        {"(6)", "😈"},  {"(@)", "🐱"},  {"(&)", "🐶"},  {"(sn)", "🐌"}, {"(pi)", "🍕"}, {"(so)", "⚽"},  {"(au)", "🚗"},
        {"(ap)", "✈️"}, {"(um)", "☂️"}, {"(co)", "💻"}, {"(mp)", "📱"},
    };
    return emoji.value(shortcut.trimmed().toLower(), otherwise);
}

}  // namespace quillane
