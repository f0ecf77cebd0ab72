// The shared-file answer over a scripted connection. The local copy is
// replaced only by a complete 2xx answer longer than 2 bytes that is not the
// refusal, and then holds the body's bytes; anything else leaves it byte for
// byte as it was. The request never asks for more than the area holds, and
// no temporary file stays behind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/ScriptedConnections.h"
#include "net/ContentInflater.h"
#include "net/SharedFileFetch.h"

namespace {

using namespace tallux;
using fuzz::Check;

void CheckFetch(std::string_view answer, int receiveCapacity) {
    fuzz::ClearScratch();
    const std::string local = fuzz::ScratchFile("express.txt");
    const std::string previous = "the previous copy\r\n";
    fuzz::WriteFileBytes(local, previous);

    fuzz::ScriptedConnections script({std::string(answer)});
    WebRequest request;
    request.receiveCapacity = receiveCapacity;
    request.connectTimeoutSeconds = 1;
    request.receiveTimeoutMs = 1000;
    const int result = FetchSharedFile({"127.0.0.1", 80}, "8001", local, "express.txt", request);

    Check(script.Opened() == 1, "a fetch that did not ask exactly once");
    const std::string sent = script.Sent(0);
    Check(sent.find("&maxlen=" + std::to_string(receiveCapacity - 1)) != std::string::npos,
          "the request asks for more than the area holds");
    bool exists = false;
    fuzz::ReadFileBytes(local + ".part", exists);
    Check(!exists, "a temporary file left behind");
    const std::string file = fuzz::ReadFileBytes(local, exists);
    Check(exists, "the local copy is gone");
    if (result <= 2) {  // also every failure of the fetch's own
        Check(file == previous, "a fetch that failed changed the local copy");
        return;
    }
    Check(result < receiveCapacity, "a file larger than the area");
    Check(WebAnswerSucceeded(request), "a file taken from an error answer");
    // The body area is gone with the fetch; an answer without a coding must
    // carry the file's bytes as they are.
    Check(file.size() == static_cast<std::size_t>(result), "the local copy is not the body");
    if (request.contentEncoding == kCodingNone && !request.chunked)
        Check(answer.find(file) != std::string_view::npos, "a local copy that the answer did not carry");
    Check(result >= kSharedFileRefusalLimit || file.find(kSharedFileRefusalText) == std::string::npos,
          "a refusal taken for the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = fuzz::AsText(data, size);
    CheckFetch(answer, kWebMinReceiveCapacity);
    CheckFetch(answer, 256 * 1024);
    return 0;
}
