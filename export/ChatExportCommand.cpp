#include "ChatExportCommand.h"

#include "ChatExport.h"
#include "WinksGlobal.h"

#include <QDir>
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
        const TChatExportReport report = ExportPackForChat(Global(), pack, *target, output, options);
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
