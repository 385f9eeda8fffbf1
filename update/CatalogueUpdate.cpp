#include "CatalogueUpdate.h"

#include "CatalogueDocument.h"
#include "HttpClient.h"
#include "WinksGlobal.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace quillane {
namespace {

const char* const kNothingNew = "0 new Quillane packs Found in site.";

bool Answered(const THttpClient& client) {
    return client.StatusCode() >= 200 && client.StatusCode() <= 299;
}

// Fetches url into target only when the site answers with success; an error
// page never takes the file's place, and a partial download never remains.
bool Fetch(THttpClient& client, const std::string& url, const std::string& target) {
    const std::string partial = target + ".part";
    client.SetBody(partial);
    try {
        client.Get(url);
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    // A connection that ended before the announced length delivered a part only.
    const bool whole = client.ReceivedBytes() >= client.ContentLength();
    if (!Answered(client) || !whole || std::rename(partial.c_str(), target.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

bool IsBlank(const std::string& line) {
    for (const char c : line) {
        if (static_cast<unsigned char>(c) > ' ') return false;
    }
    return true;
}

bool LoadsAsCatalogue(const std::string& path) {
    try {
        TCatalogueDocument document;
        document.Load(path);
        return document.Count(document.Root()) > 0;
    } catch (const ECatalogueError&) {
        return false;
    }
}

}  // namespace

void RunCatalogueUpdate(THttpClient& client, TUpgradeWindow& window) {
    TGlobal& global = Global();
    client.SetInputFileMode(true);
    client.SetTimeOut(kUpgradeTimeOutMs);
    client.Disconnect();

    window.SetStatusText("Getting the list udpates,Please wait..");
    const std::string countFile = global.AppPath + "contentcount.txt";
    int count = 0;
    std::vector<std::string> previews;
    if (!Fetch(client, global.DownloadBase + "contentcount.txt", countFile) ||
        global.LoadCountedList(countFile, count, previews) != 0 || global.CurrentWinks >= count || count == 0) {
        window.SetStatusText(kNothingNew);
        return;
    }

    for (const std::string& url : previews) {
        if (IsBlank(url)) continue;
        const std::string target = global.PreviewDir + global.UrlToGifName(url);
        if (std::filesystem::exists(target)) continue;
        window.SetStatusText("Downloading Quillane List,Please Wait..");
        Fetch(client, url, target);
    }

    window.SetStatusText("Downloading Quillane List..");
    const std::string downloaded = global.AppPath + "contentlist.temp";
    if (!Fetch(client, global.DownloadBase + "nmpcontent.dat", downloaded)) {
        throw std::runtime_error("The site did not deliver its catalogue");
    }
    if (!LoadsAsCatalogue(downloaded)) {
        std::remove(downloaded.c_str());
        throw std::runtime_error("The site's catalogue is damaged");
    }
    if (std::rename(downloaded.c_str(), (global.AppPath + "content.dat").c_str()) != 0) {
        std::remove(downloaded.c_str());
        throw std::runtime_error("Cannot replace content.dat");
    }
    global.SaveSettings();
    window.ShowSuccess("Total " + std::to_string(count - global.CurrentWinks) +
                       " new Quillane packs have been downloaded successfully from site.");
    window.ReloadCatalogue();
}

}  // namespace quillane
