#include "ChatTargets.h"

namespace quillane {

const std::vector<TChatTarget>& ChatTargets() {
    static const std::vector<TChatTarget> targets = [] {
        std::vector<TChatTarget> all;
        TChatTarget discord{"discord", "Discord emoji", TChatFormat::Png, TChatFormat::Gif};
        discord.side = 128;
        discord.stillBytes = discord.animatedBytes = 256 * 1024;
        discord.naming = TChatNaming::Discord;
        all.push_back(discord);

        TChatTarget stickers{"telegram-stickers", "Telegram stickers", TChatFormat::Png, TChatFormat::Webm};
        stickers.side = 512;
        stickers.stillBytes = 512000;
        stickers.animatedBytes = 256000;
        stickers.longestSeconds = 3;
        stickers.highestFrameRate = 30;
        stickers.emoji = TChatEmojiList::TelegramList;
        all.push_back(stickers);

        TChatTarget emoji = stickers;
        emoji.id = "telegram-emoji";
        emoji.title = "Telegram custom emoji";
        emoji.side = 100;
        all.push_back(emoji);

        TChatTarget signal{"signal", "Signal stickers", TChatFormat::Png, TChatFormat::Apng};
        signal.side = 512;
        signal.stillBytes = signal.animatedBytes = 300000;
        signal.longestSeconds = 3;
        signal.emoji = TChatEmojiList::SignalManifest;
        all.push_back(signal);

        TChatTarget whatsapp{"whatsapp", "WhatsApp stickers", TChatFormat::WebP, TChatFormat::WebP};
        whatsapp.side = 512;
        whatsapp.margin = 16;
        whatsapp.stillBytes = 100000;
        whatsapp.animatedBytes = 500000;
        whatsapp.perFolder = 30;
        whatsapp.fewest = 3;
        whatsapp.traySide = 96;
        whatsapp.trayBytes = 50000;
        all.push_back(whatsapp);

        TChatTarget slack{"slack", "Slack emoji", TChatFormat::Png, TChatFormat::Gif};
        slack.side = 128;
        // Under 128 KB.
        slack.stillBytes = slack.animatedBytes = 128000 - 1;
        all.push_back(slack);

        TChatTarget matrix{"matrix", "Matrix emotes (FluffyChat)", TChatFormat::Png, TChatFormat::Gif};
        matrix.side = 128;
        matrix.naming = TChatNaming::Matrix;
        matrix.bundle = TChatBundle::Zip;
        all.push_back(matrix);

        TChatTarget pidgin{"pidgin", "Pidgin smiley theme", TChatFormat::Png, TChatFormat::Gif};
        pidgin.naming = TChatNaming::Theme;
        pidgin.bundle = TChatBundle::TarGz;
        all.push_back(pidgin);
        return all;
    }();
    return targets;
}

const TChatTarget* FindChatTarget(std::string_view id) {
    for (const TChatTarget& target : ChatTargets()) {
        if (target.id == id) return &target;
    }
    return nullptr;
}

std::string ExtensionOf(TChatFormat format) {
    switch (format) {
        case TChatFormat::Png: return "png";
        case TChatFormat::Gif: return "gif";
        case TChatFormat::Apng: return "png";
        case TChatFormat::WebP: return "webp";
        case TChatFormat::Webm: return "webm";
    }
    return "png";
}

}  // namespace quillane
