// The network dropping in the middle of the catalogue update: the site sends
// its headers and part of the body, then closes or resets the connection.
#include "FaultWindowTests.h"
#include "ScriptedServer.h"

#include <QAction>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

std::string Answer(const std::string& body, std::size_t sent) {
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body.substr(0, sent);
}

// Sends the header and `share` of the body, then closes (or resets) the connection.
testing::ScriptedServer::Script CutOff(const std::string& body, double share, bool reset) {
    return [body, share, reset](testing::ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(Answer(body, static_cast<std::size_t>(static_cast<double>(body.size()) * share)));
        if (reset) connection.Reset();
    };
}

}  // namespace


void NetworkDropTest::aCatalogueCutOffMidwayKeepsTheOldOne_data() {
    QTest::addColumn<bool>("reset");
    QTest::addColumn<double>("share");
    QTest::newRow("closed after a tenth") << false << 0.1;
    QTest::newRow("closed after nine tenths") << false << 0.9;
    QTest::newRow("reset after half") << true << 0.5;
}

void NetworkDropTest::aCatalogueCutOffMidwayKeepsTheOldOne() {
    QFETCH(bool, reset);
    QFETCH(double, share);
    // A preview first, cut off the same way, then the catalogue.
    const std::string preview = "GIF89a" + testing::NoiseBytes(50000, 4);
    const std::string catalogue = testing::CatalogueOf(3000);
    int port = 0;
    std::vector<testing::ScriptedServer::Script> scripts;
    scripts.push_back([&port](testing::ServerConnection& connection) {
        connection.ReadRequest();
        const std::string count = "60\r\nhttp://127.0.0.1:" + std::to_string(port) + "/preview/new1.swf\r\n";
        connection.Send(Answer(count, count.size()));
    });
    scripts.push_back(CutOff(preview, share, reset));
    scripts.push_back(CutOff(catalogue, share, reset));
    testing::ScriptedServer site(scripts);
    port = site.Port();

    testing::FaultyAppFolder folder;
    folder.Populate(site.Url("/"));
    const auto window = folder.OpenWindow();
    const auto before = testing::Snapshot(folder.App());
    testing::MessageBoxRecorder boxes;
    window->actUpgrade->trigger();
    QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join("; ")));
    // The preview cut short ends the update there, closed or reset: the body is shorter than its length.
    QCOMPARE(site.Connections(), 2);
    auto after = testing::Snapshot(folder.App());
    after.erase("contentcount.txt");
    // Neither a .part file nor a preview cut short under its final name.
    QVERIFY(after == before);
    QVERIFY(!fs::exists(folder.AppFile("Preview/new1.gif")));
    QCOMPARE(testing::ReadFile(folder.AppFile("content.dat")), testing::CatalogueOf(57));
    QCOMPARE(Global().CurrentWinks, 57);
}
