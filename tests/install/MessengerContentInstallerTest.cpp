// The installer wrapper: connecting once, results on the owner's thread, and
// nothing reported by a wrapper that is gone.
#include "LocalSite.h"
#include "MessengerContentInstaller.h"
#include "PackFixtures.h"
#include "ScriptedServer.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>
#include <chrono>

using namespace quillane;
namespace support = quillane::testing;

class MessengerContentInstallerTest : public QObject {
    Q_OBJECT
private slots:
    void theResultArrivesOnceOnTheOwnersThread() {
        support::IsolatedEnvironment environment;
        support::TempFolder site;
        support::MakeEmoticonCabinet(site.File("pack.cab"));
        support::LocalSite server(site.Path().string());
        TMessengerContentInstaller installer;
        QCOMPARE(installer.ConnectKind(), TMessengerContentInstaller::ckRunningOrNew);
        QVERIFY(!installer.AutoConnect());
        std::vector<int> results;
        QThread* thread = nullptr;
        installer.OnContentInstalled = [&](TMessengerContentInstaller& sender, int lhrResult) {
            QCOMPARE(&sender, &installer);
            results.push_back(lhrResult);
            thread = QThread::currentThread();
        };
        installer.RequestInstall(server.Base() + "pack.cab");
        installer.RequestInstall(server.Base() + "missing.cab");
        QVERIFY(QTest::qWaitFor([&] { return results.size() == 2; }, 20000));
        QTest::qWait(200);
        std::sort(results.begin(), results.end());
        QCOMPARE(results, (std::vector<int>{kInstalled, kDownloadFailed}));
        QCOMPARE(thread, QCoreApplication::instance()->thread());
    }

    void theStoreIsOpenedOnceOnFirstUse() {
        support::IsolatedEnvironment environment;
        const std::string first = std::getenv("XDG_DATA_HOME");
        TMessengerContentInstaller installer;
        QVERIFY(!std::filesystem::exists(first + "/Quillane/Messenger"));
        installer.Connect();
        QVERIFY(std::filesystem::exists(first + "/Quillane/Messenger/packs"));

        support::TempFolder elsewhere;
        setenv("XDG_DATA_HOME", elsewhere.Folder().c_str(), 1);
        support::TempFolder site;
        support::MakeEmoticonCabinet(site.File("pack.cab"));
        support::LocalSite server(site.Path().string());
        int result = -1;
        installer.OnContentInstalled = [&](TMessengerContentInstaller&, int lhrResult) { result = lhrResult; };
        installer.RequestInstall(server.Base() + "pack.cab");
        QVERIFY(QTest::qWaitFor([&] { return result != -1; }, 20000));
        QCOMPARE(result, int(kInstalled));
        QCOMPARE(TContentStore(first + "/Quillane/Messenger/").Packs().size(), size_t(1));
        QVERIFY(!std::filesystem::exists(elsewhere.Folder() + "Quillane"));
    }

    void aStoreThatCannotBeOpenedRaisesOnConnecting() {
        support::IsolatedEnvironment environment;
        support::TempFolder temp;
        support::WriteFile(temp.File("file"), "no folder");
        setenv("XDG_DATA_HOME", temp.File("file").c_str(), 1);
        TMessengerContentInstaller installer;
        QVERIFY_THROWS_EXCEPTION(EContentStoreError, installer.RequestInstall("http://127.0.0.1:9/pack.cab"));
        QVERIFY_THROWS_EXCEPTION(EContentStoreError, installer.SetAutoConnect(true));
    }

    void aWrapperFreedDuringAnInstallEndsItAndReportsNothing() {
        support::IsolatedEnvironment environment;
        support::ScriptedServer server({[](support::ServerConnection& connection) {
            connection.ReadRequest();
            connection.Send("HTTP/1.0 200 OK\r\n\r\nMSCF");
            connection.Stall();
        }});
        bool reported = false;
        const auto start = std::chrono::steady_clock::now();
        {
            TMessengerContentInstaller installer;
            installer.OnContentInstalled = [&](TMessengerContentInstaller&, int) { reported = true; };
            installer.RequestInstall(server.Url("/pack.cab"));
            QVERIFY(QTest::qWaitFor([&] { return server.Connections() > 0; }, 5000));
        }
        QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(3));
        QTest::qWait(200);
        QVERIFY(!reported);
    }
};

QTEST_GUILESS_MAIN(MessengerContentInstallerTest)
#include "MessengerContentInstallerTest.moc"
