#pragma once

#include "PythonHttpServer.h"

#include <string>
#include <vector>

namespace quillane::testing {

// The certificates a TlsSite shows, one port each.
enum class Certificate { Good, OtherName, Expired, Untrusted };

// A folder served over HTTPS by Python's http.server (tls_site.py), with a
// certificate made for the tests on each of four loopback ports. The
// authority behind all but the untrusted one is trusted through
// SSL_CERT_FILE, which the first site sets for the whole test process; the
// machine's own trusted certificates are never touched.
class TlsSite {
public:
    explicit TlsSite(const std::string& folder);

    int Port(Certificate certificate) const;
    // "https://localhost:<port>" + path.
    std::string Url(Certificate certificate, const std::string& path) const;
    // The requests received so far, in order: path, a tab, the Cookie header.
    std::vector<std::string> Requests() const;

private:
    std::vector<int> ports_;
    std::string log_;
    PythonProcess process_;
};

}  // namespace quillane::testing
