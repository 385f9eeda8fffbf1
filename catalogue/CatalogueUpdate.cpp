#include "CatalogueUpdate.h"

#include "CatalogueDocument.h"
#include "HttpClient.h"
#include "WinksGlobal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <stdexcept>

namespace quillane {
namespace {

const char* const kNothingNew = "0 new Quillane packs Found in site.";

bool Answered(const THttpClient& client) {
    return client.StatusCode() >= 200 && client.StatusCode() <= 299;
}

// Fetches url into target only when the site answers with success and the
// body is what the caller expects; an error page never takes the file's
// place, and a partial download never remains.
bool Fetch(THttpClient& client, const std::string& url, const std::string& target,
           const std::function<bool(const std::string& path)>& acceptable) {
    const std::string partial = target + ".part";
    client.SetBody(partial);
    try {
        client.Get(url);
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (!Answered(client) || !acceptable(partial) || std::rename(partial.c_str(), target.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

bool AnyBody(const std::string&) { return true; }

// A preview is a picture or a movie, told by its first bytes (GIF, PNG, JPEG, SWF);
// a site's page answered with success is neither.
bool IsPictureOrMovie(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char bytes[8] = {};
    in.read(bytes, sizeof bytes);
    const std::string_view head(bytes, static_cast<size_t>(in.gcount()));
    for (const std::string_view signature : {std::string_view("GIF87a"), std::string_view("GIF89a"),
                                             std::string_view("\x89PNG\r\n\x1A\n", 8), std::string_view("\xFF\xD8\xFF"),
                                             std::string_view("FWS"), std::string_view("CWS"), std::string_view("ZWS")}) {
        if (head.substr(0, signature.size()) == signature) return true;
    }
    return false;
}

bool IsBlank(const std::string& line) {
    for (const char c : line) {
        if (static_cast<unsigned char>(c) > ' ') return false;
    }
    return true;
}

// A catalogue worth keeping: it loads, and some category holds a pack (an item
// with a title). A well-formed page of the site's (a maintenance notice) is none.
bool LoadsAsCatalogue(const std::string& path) {
    try {
        TCatalogueDocument document;
        document.Load(path);
        for (const CatalogueNode category : document.Children(document.Root())) {
            for (const CatalogueNode item : document.Children(category)) {
                if (document.GetAttribute(item, "ContentTitle")) return true;
            }
        }
        return false;
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
    const std::string countFile = global.UserPath + "contentcount.txt";
    int count = 0;
    std::vector<std::string> previews;
    if (!Fetch(client, global.DownloadBase + "contentcount.txt", countFile, AnyBody) ||
        global.LoadCountedList(countFile, count, previews) != 0 || global.CurrentWinks >= count || count == 0) {
        window.SetStatusText(kNothingNew);
        return;
    }

    for (const std::string& url : previews) {
        if (IsBlank(url)) continue;
        const std::string name = "Preview/" + global.UrlToGifName(url);
        // A preview of the application folder's or of the user's own is not fetched again.
        if (std::filesystem::exists(global.UserOrAppFile(name))) continue;
        const std::string target = global.UserPath + name;
        window.SetStatusText("Downloading Quillane List,Please Wait..");
        Fetch(client, url, target, IsPictureOrMovie);
    }

    window.SetStatusText("Downloading Quillane List..");
    const std::string downloaded = global.UserPath + "contentlist.temp";
    if (!Fetch(client, global.DownloadBase + "nmpcontent.dat", downloaded, LoadsAsCatalogue)) {
        throw std::runtime_error("The site did not deliver a catalogue");
    }
    if (std::rename(downloaded.c_str(), (global.UserPath + "content.dat").c_str()) != 0) {
        std::remove(downloaded.c_str());
        throw std::runtime_error("Cannot replace content.dat");
    }
    global.SaveSettings();
    window.ShowSuccess("Total " + std::to_string(count - global.CurrentWinks) +
                       " new Quillane packs have been downloaded successfully from site.");
    window.ReloadCatalogue();
}

}  // namespace quillane
