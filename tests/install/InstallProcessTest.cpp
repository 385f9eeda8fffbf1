// `quillane <pack>` run as a real process: the install window, the server on
// the install port and the content store, with nothing in between faked.
#include "ContentStore.h"
#include "LocalSite.h"
#include "PackFixtures.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using namespace quillane;
namespace support = quillane::testing;

extern char** environ;

namespace {

constexpr auto kProcessLimit = std::chrono::seconds(60);

class InstallProcessTest : public ::testing::Test {
protected:
    // The program writes into its own folder: each test runs a copy of it.
    InstallProcessTest() {
        const fs::path built = support::AppFolder();
        for (const auto& entry : fs::directory_iterator(built)) {
            const fs::path target = app.Path() / entry.path().filename();
            if (entry.path().filename() == "ruffle") fs::create_directory_symlink(entry.path(), target);
            else fs::copy(entry.path(), target, fs::copy_options::recursive);
        }
    }

    // Runs the program with one argument; its exit code, or -1 when it had to be stopped.
    // It serves on a port the system chooses, so that a Quillane holding the usual one
    // changes nothing.
    int RunQuillane(const std::string& argument) {
        std::vector<std::string> variables = {"HOME=" + home.Path().string(), "XDG_DATA_HOME=" + data.Path().string(),
                                              "TMPDIR=" + tmp.Path().string(), "QT_QPA_PLATFORM=offscreen",
                                              "QUILLANE_INSTALL_PORT=0"};
        for (char** variable = environ; *variable; ++variable) {
            const std::string_view text(*variable);
            const auto name = text.substr(0, text.find('=') + 1);
            if (name != "HOME=" && name != "XDG_DATA_HOME=" && name != "TMPDIR=" && name != "QT_QPA_PLATFORM=" &&
                name != "QUILLANE_INSTALL_PORT=") {
                variables.emplace_back(text);
            }
        }
        std::vector<char*> envp;
        for (auto& variable : variables) envp.push_back(variable.data());
        envp.push_back(nullptr);
        std::string program = app.File("quillane");
        std::string pack = argument;
        char* argv[] = {program.data(), pack.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -2;
        const auto deadline = std::chrono::steady_clock::now() + kProcessLimit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
    }

    std::vector<TStoredPack> StoredPacks() const {
        return TContentStore(data.Folder() + "Quillane/Messenger/").Packs();
    }

    support::IsolatedEnvironment environment;
    support::TempFolder app;
    support::TempFolder home;
    support::TempFolder data;
    support::TempFolder tmp;
};

TEST_F(InstallProcessTest, AQzkPackIsInstalledAndTheProgramEnds) {
    ASSERT_EQ(RunQuillane(app.File("msnpack/faces2.QZK")), 0);
    const auto packs = StoredPacks();
    ASSERT_EQ(packs.size(), 1u);
    ASSERT_EQ(packs[0].items.size(), 4u);
    EXPECT_EQ(packs[0].items[0].name, "Cheeky");
    EXPECT_EQ(packs[0].items[0].shortcut, ":P");
    EXPECT_EQ(packs[0].items[2].name, "Love");
    EXPECT_EQ(packs[0].items[2].shortcut, "<3");
    for (const auto& item : packs[0].items) {
        EXPECT_EQ(support::ReadFile(data.Folder() + "Quillane/Messenger/" + item.file).substr(0, 3), "GIF");
    }
}

TEST_F(InstallProcessTest, AQzcPackIsInstalledAndTheProgramEnds) {
    ASSERT_EQ(RunQuillane(app.File("msnpack/owl.QZC")), 0);
    const auto packs = StoredPacks();
    ASSERT_EQ(packs.size(), 1u);
    ASSERT_EQ(packs[0].items.size(), 1u);
    EXPECT_EQ(packs[0].items[0].type, "usertile");
    EXPECT_EQ(packs[0].items[0].name, "Night Owl");
}

TEST_F(InstallProcessTest, AUrlIsDownloadedOnceAndInstalledFromTheCacheWithoutTheNetwork) {
    support::TempFolder site;
    fs::copy(app.File("msnpack/sunrise.QZK"), site.File("dawn.QZK"));
    std::string url;
    {
        support::LocalSite server(site.Path().string());
        url = server.Base() + "dawn.QZK";
        ASSERT_EQ(RunQuillane(url), 0);
        EXPECT_EQ(server.Requests(), std::vector<std::string>{"/dawn.QZK"});
    }
    EXPECT_EQ(support::ReadFile(app.File("msnpack/dawn.QZK")), support::ReadFile(site.File("dawn.QZK")));
    ASSERT_EQ(RunQuillane(url), 0);
    const auto packs = StoredPacks();
    ASSERT_EQ(packs.size(), 2u);
    for (const auto& pack : packs) {
        ASSERT_EQ(pack.items.size(), 1u);
        EXPECT_EQ(pack.items[0].type, "wink");
        EXPECT_EQ(pack.items[0].name, "Sunrise");
    }
}

}  // namespace
