#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallux::fuzz {

// Lets the network code run unchanged on answers from the fuzz input.
//
// The fuzz programs define connect() themselves: while a script is in place,
// the n-th connect of the code under test gets a local socket pair instead
// of the address it asked for, with the n-th answer already written into it
// and the peer's side shut for writing, so every read ends at the answer's
// end and nothing ever waits. The peer stays open for what the code sends
// (readable through Sent) until the script goes. A connect beyond the
// answers, or with no script in place, is refused: nothing leaves the
// process, whatever address an answer redirects to.
class ScriptedConnections {
public:
    // Answers longer than this are cut (they must fit the socket buffer).
    static constexpr std::size_t kMostAnswerBytes = 128 * 1024;
    // Between the answers of one fuzz input.
    static constexpr std::string_view kSeparator = "\n--next answer--\n";

    explicit ScriptedConnections(std::vector<std::string> answers);
    // Splits input at kSeparator into at most most answers.
    ScriptedConnections(std::string_view input, std::size_t most);
    ~ScriptedConnections();
    ScriptedConnections(const ScriptedConnections&) = delete;
    ScriptedConnections& operator=(const ScriptedConnections&) = delete;

    // Connections opened so far.
    std::size_t Opened() const { return peers_.size(); }
    const std::string& Answer(std::size_t connection) const { return answers_[connection]; }
    std::size_t AnswerCount() const { return answers_.size(); }
    // The bytes the code under test sent on a connection so far.
    std::string Sent(std::size_t connection) const;

    // The connect of the code under test, with a script in place.
    int Connect(int fd);

private:
    std::vector<std::string> answers_;
    std::vector<int> peers_;
};

}  // namespace tallux::fuzz
