// The command-line download tool judges a download as the program's windows do.
#include "ClientFixture.h"
#include "ScriptedServer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace quillane::testing;

namespace {

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun Fetch(const std::string& url, const std::string& file, const TempFolder& folder) {
    const std::string errors = folder.File("errors.txt");
    const int status = std::system((std::string(QUILLANE_FETCH_TOOL) + " '" + url + "' '" + file + "' 2>'" + errors + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errors)};
}

}  // namespace

TEST(FetchTool, ABodyCutShortIsAFailure) {
    TempFolder folder;
    ScriptedServer server({Reply(Answer("200 OK", "Content-Length: 1000\r\n", "SCF partial body")),
                           Reply(Answer("200 OK", "Content-Length: 5\r\n", "whole"))});
    const ToolRun cut = Fetch(server.Url("/short.qzk"), folder.File("short.qzk"), folder);
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.errors, "The server 127.0.0.1 ended the download after 16 of 1000 bytes.\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("short.qzk")));

    const ToolRun whole = Fetch(server.Url("/whole.qzk"), folder.File("whole.qzk"), folder);
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_EQ(ReadFile(folder.File("whole.qzk")), "whole");
}
