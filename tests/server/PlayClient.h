#pragma once
// A raw WebSocket client of the play service for tests (Boost.Beast): sends any frame, reads the
// server's messages with a time limit, and sees how the server closed the connection.
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace kelani::server {

// The raw JSON text of one field of a flat message ("7", "\"move\"", "[1,2]"); empty when missing.
inline std::string FieldText(const std::string& message, const std::string& key) {
    const std::string quoted = "\"" + key + "\":";
    const size_t at = message.find(quoted);
    if (at == std::string::npos) return {};
    size_t end = at + quoted.size();
    int depth = 0;
    bool inString = false;
    for (; end < message.size(); ++end) {
        const char c = message[end];
        if (inString) {
            if (c == '\\')
                ++end;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if ((c == ',' || c == '}') && depth == 0) {
            break;
        }
    }
    return message.substr(at + quoted.size(), end - at - quoted.size());
}

inline long long FieldNumber(const std::string& message, const std::string& key) {
    return std::atoll(FieldText(message, key).c_str());
}

// A string field without its quotes (the tests' texts need no unescaping).
inline std::string FieldString(const std::string& message, const std::string& key) {
    const std::string text = FieldText(message, key);
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : text;
}

class PlayClient {
public:
    // Connects to ws://127.0.0.1:port/play; with `realIp` as a proxy would name the player.
    explicit PlayClient(int port, const std::string& realIp = "", const std::string& target = "/play")
        : ws_(io_) {
        namespace beast = boost::beast;
        boost::asio::ip::tcp::resolver resolver(io_);
        beast::error_code ec;
        boost::asio::connect(beast::get_lowest_layer(ws_).socket(),
                             resolver.resolve("127.0.0.1", std::to_string(port)), ec);
        if (ec) return;
        ws_.set_option(
            beast::websocket::stream_base::decorator([realIp](beast::websocket::request_type& req) {
                if (!realIp.empty()) req.set("X-Real-IP", realIp);
            }));
        ws_.handshake("127.0.0.1:" + std::to_string(port), target, ec);
        connected_ = !ec;
    }

    bool connected() const { return connected_; }
    // The server ended the connection (rather than a read running out of time).
    bool closedByServer() const { return closed_ && !timedOut_; }

    bool Send(const std::string& text, bool binary = false) {
        boost::beast::error_code ec;
        ws_.binary(binary);
        ws_.write(boost::asio::buffer(text), ec);
        return !ec;
    }

    // The next message, nothing when none comes within `ms` or the connection closed.
    std::optional<std::string> Next(int ms = 5000) {
        if (closed_) return std::nullopt;
        boost::beast::flat_buffer buffer;
        bool done = false;
        boost::beast::error_code result;
        ws_.async_read(buffer, [&](boost::beast::error_code ec, size_t) {
            done = true;
            result = ec;
        });
        io_.restart();
        io_.run_for(std::chrono::milliseconds(ms));
        if (!done) {
            boost::beast::get_lowest_layer(ws_).cancel();
            io_.restart();
            io_.run();
            closed_ = timedOut_ = true; // a read cut short leaves the stream unusable
            return std::nullopt;
        }
        if (result) {
            closed_ = true;
            closeCode_ = ws_.reason().code;
            return std::nullopt;
        }
        return boost::beast::buffers_to_string(buffer.data());
    }

    // The next message of this type; the others on the way are kept in `skipped`.
    std::optional<std::string> Until(const std::string& type, int ms = 5000) {
        while (auto message = Next(ms)) {
            if (FieldString(*message, "type") == type) return message;
            skipped.push_back(*message);
        }
        return std::nullopt;
    }

    // Reads until the server closes; its close code (0 when it did not close in time).
    int ClosedWith(int ms = 5000) {
        while (Next(ms)) {
        }
        return closeCode_;
    }

    std::vector<std::string> skipped;

private:
    boost::asio::io_context io_;
    boost::beast::websocket::stream<boost::beast::tcp_stream> ws_;
    bool connected_ = false, closed_ = false, timedOut_ = false;
    int closeCode_ = 0;
};

} // namespace kelani::server
