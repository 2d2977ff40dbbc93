#include "server/uRequestFrame.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kelani::server {
namespace {

constexpr size_t npos = std::string_view::npos;

RequestFrame Refuse(int status, std::string reason) {
    RequestFrame frame;
    frame.state = RequestFrame::State::Refused;
    frame.status = status;
    frame.reason = std::move(reason);
    return frame;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool TokenChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c));
}

// Visible characters, blanks and tabs, and bytes above ASCII; no control character.
bool FieldValueChar(unsigned char c) {
    return c == '\t' || (c >= 0x20 && c != 0x7F);
}

// The head's lines without their CRLF, up to the empty line; false when a line ends in a bare LF.
bool SplitLines(std::string_view head, std::vector<std::string_view>& lines) {
    for (size_t start = 0; start < head.size();) {
        const size_t lf = head.find('\n', start);
        if (lf == start || head[lf - 1] != '\r') return false;
        lines.push_back(head.substr(start, lf - 1 - start));
        start = lf + 1;
    }
    return true;
}

// "METHOD /target HTTP/1.x": 0 when it is one the server takes, else the status refusing it.
int CheckRequestLine(std::string_view line, bool& http11) {
    if (line.size() + 2 > kMaxRequestLine) return 414;
    const size_t a = line.find(' '), b = a == npos ? npos : line.find(' ', a + 1);
    if (b == npos || line.find(' ', b + 1) != npos) return 400;
    const std::string_view method = line.substr(0, a), target = line.substr(a + 1, b - a - 1),
                           version = line.substr(b + 1);
    if (target.empty() || target[0] != '/' ||
        !std::all_of(target.begin(), target.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
        return 400;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return version.substr(0, 5) == "HTTP/" ? 505 : 400;
    http11 = version == "HTTP/1.1";
    for (const char* known : {"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "PATCH"})
        if (method == known) return 0;
    return std::all_of(method.begin(), method.end(), TokenChar) && !method.empty() ? 501 : 400;
}

// The header fields that decide where the request ends, counted as they come.
struct Framing {
    int contentLengths = 0, transferEncodings = 0, hosts = 0;
    std::string_view contentLength;
    bool expectsContinue = false;
};

// Why a line is refused; status 0 when it is not.
struct Fault {
    int status = 0;
    const char* reason = "";
};

// One "Name: value" line.
Fault TakeField(std::string_view line, Framing& f) {
    if (line.size() + 2 > kMaxHeaderLine) return {431, "header line too long"};
    const size_t colon = line.find(':');
    if (colon == 0 || colon == npos || !std::all_of(line.begin(), line.begin() + colon, TokenChar))
        return {400, "malformed header line"}; // a folded line starts with a blank and fails here too
    std::string_view value = line.substr(colon + 1);
    if (!std::all_of(value.begin(), value.end(), [](char c) { return FieldValueChar(c); }))
        return {400, "control character in a header"};
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    const std::string_view name = line.substr(0, colon);
    if (SameText(name, "Content-Length")) ++f.contentLengths, f.contentLength = value;
    if (SameText(name, "Transfer-Encoding")) ++f.transferEncodings;
    if (SameText(name, "Host")) ++f.hosts;
    if (SameText(name, "Expect") && SameText(value, "100-continue")) f.expectsContinue = true;
    return {};
}

// The body's length from the counted fields; a refusal when it cannot be told for certain.
RequestFrame BodyLength(const Framing& f, bool http11, size_t maxBody, RequestFrame frame) {
    if (f.transferEncodings > 0 && f.contentLengths > 0)
        return Refuse(400, "Content-Length together with Transfer-Encoding");
    if (f.transferEncodings > 0) return Refuse(411, "a body needs a Content-Length");
    if (f.contentLengths > 1) return Refuse(400, "more than one Content-Length");
    if (f.hosts > 1 || (http11 && f.hosts == 0)) return Refuse(400, "a request needs exactly one Host");
    if (f.contentLengths == 1) {
        const std::string_view text = f.contentLength;
        if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), ::isdigit))
            return Refuse(400, "malformed Content-Length");
        frame.bodyLength = std::stoull(std::string(text));
        if (frame.bodyLength > maxBody) return Refuse(413, "body larger than any form the game sends");
    }
    frame.expectsContinue = f.expectsContinue;
    frame.state = RequestFrame::State::Complete;
    return frame;
}

} // namespace

size_t FindHeadEnd(std::string_view received, size_t from) {
    for (size_t lf = received.find('\n', from); lf != npos; lf = received.find('\n', lf + 1)) {
        if (lf + 1 < received.size() && received[lf + 1] == '\n') return lf + 2;
        if (lf + 2 < received.size() && received[lf + 1] == '\r' && received[lf + 2] == '\n') return lf + 3;
    }
    return npos;
}

RequestFrame FrameRequest(std::string_view received, size_t headEnd, size_t maxBody) {
    if (headEnd == npos) {
        const size_t firstLf = received.find('\n');
        if ((firstLf == npos ? received.size() : firstLf + 1) > kMaxRequestLine)
            return Refuse(414, "request line too long");
        if (received.size() > kMaxHead) return Refuse(431, "request head too large");
        return {};
    }
    if (headEnd > kMaxHead) return Refuse(431, "request head too large");
    std::vector<std::string_view> lines;
    if (!SplitLines(received.substr(0, headEnd), lines)) return Refuse(400, "lines must end in CR LF");
    bool http11 = false;
    if (const int status = CheckRequestLine(lines.front(), http11); status != 0)
        return Refuse(status, status == 414 ? "request line too long" : "malformed request line");
    if (lines.size() - 2 > kMaxHeaderFields) return Refuse(431, "too many header fields");
    Framing framing;
    for (size_t i = 1; i + 1 < lines.size(); ++i)
        if (const Fault fault = TakeField(lines[i], framing); fault.status != 0)
            return Refuse(fault.status, fault.reason);
    RequestFrame frame;
    frame.headLength = headEnd;
    return BodyLength(framing, http11, maxBody, frame);
}

} // namespace kelani::server
