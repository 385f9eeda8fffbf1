// Where a body ends: at Content-Length, at the last chunk, or with the connection.
#include "ClientFixture.h"
#include "ScriptedServer.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace quillane;
using namespace quillane::testing;

namespace {

using ContentLength = ClientTest;
using ChunkedBody = ClientTest;
using TransferCodings = ClientTest;

// One chunk: its size in hexadecimal (upper case), an extension, and its data.
std::string Chunk(const std::string& data, const std::string& extension = "") {
    std::ostringstream size;
    size << std::hex << std::uppercase << data.size();
    return size.str() + extension + "\r\n" + data + "\r\n";
}

std::string ChunkedAnswer(const std::string& chunks) {
    return Answer("200 OK", "Transfer-Encoding: chunked\r\n", chunks);
}

const char* const kCutShort = "The server 127.0.0.1 closed the connection before its answer was complete.";
const char* const kDamaged = "The server 127.0.0.1 sent a chunked answer that cannot be read.";

}  // namespace

TEST_F(ContentLength, BytesBeyondItAreNotStored) {
    ScriptedServer server({Reply(Answer("200 OK", "Content-Length: 10\r\n", "0123456789 and then some"))});
    client.Get(server.Url("/long"));
    EXPECT_EQ(Downloaded(), "0123456789");
    EXPECT_EQ(client.ReceivedBytes(), 10);
}

TEST_F(ContentLength, ABodyCutShortFailsAndLeavesTheFileAsItWas) {
    PutEarlierDownload();
    ScriptedServer server({Reply(Answer("200 OK", "Content-Length: 1000\r\n", "SCF partial body"))});
    EXPECT_EQ(FailureOf(server.Url("/short")), "The server 127.0.0.1 ended the download after 16 of 1000 bytes.");
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(ContentLength, ALengthThatIsNoNumberFails) {
    PutEarlierDownload();
    for (const std::string length : {"about 7", "7, 8", "-7", "99999999999999999999"}) {
        ScriptedServer server({Reply(Answer("200 OK", "Content-Length: " + length + "\r\n", "7 bytes"))});
        EXPECT_EQ(FailureOf(server.Url("/odd")), "The server 127.0.0.1 gave a length for the download that is not a number.")
            << length;
    }
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(ChunkedBody, IsDecodedWithExtensionsAndTrailersIgnored) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
    // Chunked overrides Content-Length; chunks cross the client's blocks.
    ScriptedServer server({Reply(Answer("200 OK", "Transfer-Encoding: Chunked\r\nContent-Length: 3\r\n",
                                        Chunk(data.substr(0, 70001), ";name=value") + Chunk(data.substr(70001, 5)) +
                                            Chunk(data.substr(70006), " ; a=\"b;c\"") + "0\r\nX-Trailer: ignored\r\n\r\n"))});
    client.Get(server.Url("/chunked"));
    EXPECT_TRUE(Downloaded() == data);
    EXPECT_EQ(client.ReceivedBytes(), 200000);
    EXPECT_EQ(client.ContentLength(), 0);
}

TEST_F(ChunkedBody, AnEndAmongTheTrailersLosesNothing) {
    ScriptedServer server({Reply(ChunkedAnswer(Chunk("hello") + "0\r\nX-Trailer: cut"))});
    client.Get(server.Url("/trailer"));
    EXPECT_EQ(Downloaded(), "hello");
}

TEST_F(ChunkedBody, CutShortFailsAndLeavesTheFileAsItWas) {
    PutEarlierDownload();
    ScriptedServer server({Reply(ChunkedAnswer(Chunk("hello") + "5\r\nwor")), Reply(ChunkedAnswer(Chunk("hello")))});
    EXPECT_EQ(FailureOf(server.Url("/in-a-chunk")), kCutShort);
    EXPECT_EQ(FailureOf(server.Url("/before-the-last-chunk")), kCutShort);
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(ChunkedBody, SizesThatCannotBeReadFail) {
    PutEarlierDownload();
    ScriptedServer server({Reply(ChunkedAnswer("zz\r\nhello\r\n0\r\n\r\n")),
                           Reply(ChunkedAnswer("FFFFFFFFFFFFFFFFF\r\nhello\r\n0\r\n\r\n")),
                           Reply(ChunkedAnswer("5\r\nhelloX\r\n0\r\n\r\n"))});
    EXPECT_EQ(FailureOf(server.Url("/not-hexadecimal")), kDamaged);
    EXPECT_EQ(FailureOf(server.Url("/too-large")), kDamaged);
    EXPECT_EQ(FailureOf(server.Url("/longer-than-said")), kDamaged);
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(TransferCodings, OnlyChunkedCanBeRead) {
    PutEarlierDownload();
    ScriptedServer server({Reply(Answer("200 OK", "Transfer-Encoding: gzip, chunked\r\n", Chunk("compressed")))});
    EXPECT_EQ(FailureOf(server.Url("/gzip")),
              "The server 127.0.0.1 sent the download in a transfer coding that this program cannot read (gzip, chunked).");
    EXPECT_EQ(Downloaded(), kEarlier);
}
