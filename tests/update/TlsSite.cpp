#include "TlsSite.h"

#include "ScriptedServer.h"
#include "TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace quillane::testing {

namespace {

const std::string kScripts = QUILLANE_TLS_SITE_DIR;
const char* const kNames[] = {"good", "other", "expired", "untrusted"};

// Made once for the test process, and trusted from then on.
const std::string& CertificateFolder() {
    static const TempFolder folder;
    static const std::string made = [] {
        std::string script = kScripts + "/make-test-certificates";
        std::string target = folder.Path().string();
        char* argv[] = {script.data(), target.data(), nullptr};
        pid_t pid = -1;
        int status = -1;
        if (posix_spawn(&pid, script.c_str(), nullptr, nullptr, argv, environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || status != 0)
            throw std::runtime_error("make-test-certificates failed");
        ::setenv("SSL_CERT_FILE", folder.File("authority.pem").c_str(), 1);
        return target;
    }();
    return made;
}

std::vector<std::string> SiteArguments(const std::string& folder, const std::string& log, const std::vector<int>& ports) {
    std::vector<std::string> arguments = {kScripts + "/tls_site.py", folder, CertificateFolder(), log};
    for (std::size_t i = 0; i < ports.size(); ++i) arguments.push_back(kNames[i] + (":" + std::to_string(ports[i])));
    return arguments;
}

}  // namespace

TlsSite::TlsSite(const std::string& folder)
    : ports_{UnusedPort(), UnusedPort(), UnusedPort(), UnusedPort()},
      log_(CertificateFolder() + "/requests-" + std::to_string(ports_[0]) + ".log"),
      process_(SiteArguments(folder, log_, ports_), ports_) {}

int TlsSite::Port(Certificate certificate) const { return ports_.at(static_cast<std::size_t>(certificate)); }

std::string TlsSite::Url(Certificate certificate, const std::string& path) const {
    return "https://localhost:" + std::to_string(Port(certificate)) + path;
}

std::vector<std::string> TlsSite::Requests() const {
    std::vector<std::string> requests;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) requests.push_back(line);
    return requests;
}

}  // namespace quillane::testing
