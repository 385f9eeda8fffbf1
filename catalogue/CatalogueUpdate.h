#pragma once

#include <string>

namespace quillane {

class THttpClient;

// What the catalogue update needs of the window that runs it.
class TUpgradeWindow {
public:
    virtual ~TUpgradeWindow() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    // Tells the user that new packs have arrived, and lets the window repaint.
    virtual void ShowSuccess(const std::string& text) = 0;
    // Loads the new content.dat into the tree.
    virtual void ReloadCatalogue() = 0;
};

// Silence on the vendor's site after which a transfer counts as failed.
inline constexpr int kUpgradeTimeOutMs = 30000;

// Fetches the vendor's newer catalogue when the site counts more packs than
// Global().CurrentWinks, with the previews of the new packs first.
// content.dat is replaced only by a catalogue that the site answered with
// success and that loads as a catalogue, and atomically; otherwise it stays.
// Raises on a failed transfer or an unusable catalogue; the caller reports
// "updated unsuccessfully".
void RunCatalogueUpdate(THttpClient& client, TUpgradeWindow& window);

}  // namespace quillane
