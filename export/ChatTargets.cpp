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
    }
    return "png";
}

}  // namespace quillane
