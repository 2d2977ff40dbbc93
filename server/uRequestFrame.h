#pragma once
// Where one request ends in the bytes a connection sent. The server decides this alone and
// strictly, so no proxy in front can read a request's end differently: every line ends in CRLF,
// a body has exactly one Content-Length and no Transfer-Encoding, and a head that is anything
// else is refused before a byte of it is routed.
#include <cstddef>
#include <string>
#include <string_view>

namespace kelani::server {

// The longest request line (as cpp-httplib takes it), header line and whole head.
inline constexpr size_t kMaxRequestLine = 8192;
inline constexpr size_t kMaxHeaderLine = 8192;
inline constexpr size_t kMaxHead = 32768;
inline constexpr size_t kMaxHeaderFields = 100;

struct RequestFrame {
    enum class State {
        Incomplete, // the head has not ended yet
        Complete,   // head and body lengths are known
        Refused,    // answer `status` and close: the request's end cannot be trusted
    };
    State state = State::Incomplete;
    int status = 0;
    std::string reason;
    size_t headLength = 0; // request line and header fields with the empty line after them
    size_t bodyLength = 0;
    bool expectsContinue = false; // "Expect: 100-continue"
};

// Frames the request at the start of `received`; `headEnd` is where its empty line ends, or
// npos while none has arrived (the caller finds it as bytes come in). Bodies longer than
// `maxBody` are refused with 413.
RequestFrame FrameRequest(std::string_view received, size_t headEnd, size_t maxBody);

// The end of the empty line closing a head, searching from `from`; npos when there is none yet.
size_t FindHeadEnd(std::string_view received, size_t from);

} // namespace kelani::server
