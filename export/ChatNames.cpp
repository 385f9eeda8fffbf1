#include "ChatNames.h"

#include "PackPictures.h"

namespace quillane {
namespace {

// A Discord emoji's name: 2 to 32 of A-Z a-z 0-9 _.
constexpr int kDiscordShortest = 2;
constexpr int kDiscordLongest = 32;
// FluffyChat's shortcodes take at most 100 bytes.
constexpr int kMatrixLongestBytes = 100;
// A picture's name in a Pidgin theme takes at most 63 bytes.
constexpr int kThemeLongestBytes = 63;

bool AsciiWordCharacter(QChar c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

QString Discord(const QString& name) {
    QString made;
    for (const QChar c : name) made += AsciiWordCharacter(c) ? c : QChar('_');
    made = made.left(kDiscordLongest);
    return made.size() < kDiscordShortest ? ("emoji" + made).left(kDiscordLongest) : made;
}

QString Matrix(const QString& name) {
    QString made;
    for (const QChar c : name.toLower()) made += c.isLetterOrNumber() || c == '-' || c == '_' ? c : QChar('_');
    while (made.toUtf8().size() > kMatrixLongestBytes) made.chop(1);
    return made.isEmpty() ? QString("emote") : made;
}

}  // namespace

QString TChatNames::Made(const QString& name) const {
    switch (naming_) {
        case TChatNaming::Discord: return Discord(name);
        case TChatNaming::Matrix: return Matrix(name);
        case TChatNaming::Plain: break;
        case TChatNaming::Theme: break;
    }
    // Made safe with room left for a number and an extension ("_1000.png").
    const QString room = "_1000.png";
    const int longest = naming_ == TChatNaming::Theme ? kThemeLongestBytes : kLongestFileNameBytes;
    return SafeFileName(name, room, longest).chopped(room.size() + 1);
}

QString TChatNames::Numbered(const QString& base, int number) const {
    const QString tail = "_" + QString::number(number);
    if (naming_ == TChatNaming::Discord) return base.left(kDiscordLongest - tail.size()) + tail;
    return base + tail;
}

QString TChatNames::Take(const QString& name) {
    const QString base = Made(name);
    QString candidate = base;
    for (int number = 2; used_.contains(candidate.toLower()); ++number) candidate = Numbered(base, number);
    used_.insert(candidate.toLower());
    return candidate;
}

}  // namespace quillane
