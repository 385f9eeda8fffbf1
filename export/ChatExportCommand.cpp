#include "ChatExportCommand.h"

#include "ChatExport.h"
#include "ChatMovieRendering.h"
#include "WinksGlobal.h"

#include <QDir>
#include <QEventLoop>
#include <QLoggingCategory>
#include <cstdio>

namespace quillane {
namespace {

constexpr std::string_view kExport = "--export=";
constexpr std::string_view kOutput = "--output=";
constexpr std::string_view kEmoji = "--emoji=";

void Print(std::FILE* to, const QString& line) { std::fprintf(to, "%s\n", line.toUtf8().constData()); }

QString TargetNames() {
    QStringList names;
    for (const TChatTarget& target : ChatTargets()) names << QString::fromUtf8(target.id.data(), static_cast<qsizetype>(target.id.size()));
    return names.join(", ");
}

// The pack's movies rendered by the player while the event loop runs here, then its pictures exported.
TChatExportReport ExportPackFileForChat(const std::string& pack, const TChatTarget& target, const QString& output,
                                        const TChatExportOptions& options) {
    const TChatExportSource source = PackFileSource(Global(), pack);
    // The player's own messages are not the command's.
    QLoggingCategory::setFilterRules("js=false\nqt.webenginecontext=false");
    TChatExportReport blocked;
    blocked.failure = ChatExportBlocked(source.title, target, output, options);
    if (!blocked.failure.isEmpty()) return blocked;
    TChatExportPictures found = FindChatExportPictures(Global(), source);
    if (TChatMovieRendering::Needed(found)) {
        TChatMovieRendering rendering(found, QString::fromStdString(Global().AppPath) + "ruffle/");
        QEventLoop loop;
        QObject::connect(&rendering, &TChatMovieRendering::Finished, &loop, &QEventLoop::quit);
        rendering.Start();
        loop.exec();
    }
    return ExportPicturesForChat(found, target, output, options);
}

}  // namespace

bool IsChatExportCommand(const std::vector<std::string>& arguments) {
    return !arguments.empty() && arguments.front().starts_with(kExport);
}

int RunChatExportCommand(const std::vector<std::string>& arguments) {
    const TChatTarget* target = FindChatTarget(std::string_view(arguments.front()).substr(kExport.size()));
    QString output;
    TChatExportOptions options;
    std::vector<std::string> packs;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.starts_with(kOutput)) output = QString::fromStdString(argument.substr(kOutput.size()));
        else if (argument.starts_with(kEmoji)) options.emoji = QString::fromStdString(argument.substr(kEmoji.size()));
        else if (argument == "--force") options.replace = true;
        else if (argument == "--speed-up") options.speedUp = true;
        else packs.push_back(argument);
    }
    if (!target) {
        Print(stderr, "quillane: the target is one of " + TargetNames() + ".");
        return 2;
    }
    if (output.isEmpty() || !QDir(output).exists()) {
        Print(stderr, "quillane: --output=FOLDER names the folder the export goes into, which must exist.");
        return 2;
    }
    if (packs.empty()) {
        Print(stderr, "quillane: name the pack files to export.");
        return 2;
    }
    int status = 0;
    for (const std::string& pack : packs) {
        const TChatExportReport report = ExportPackFileForChat(pack, *target, output, options);
        if (!report.failure.isEmpty()) {
            Print(stderr, QString::fromStdString(pack) + ": " + report.failure +
                              (report.failure.endsWith("already there.") ? " --force replaces it." : ""));
            status = 1;
        } else {
            Print(stdout, report.written);
            for (const QString& file : report.files) Print(stdout, "  " + file);
        }
        for (const QString& left : report.leftOut) Print(stdout, "  left out: " + left);
        for (const QString& note : report.notes) Print(stdout, "  " + note);
    }
    return status;
}

}  // namespace quillane
