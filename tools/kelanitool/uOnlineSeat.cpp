#include "tools/kelanitool/uOnlineSeat.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <deque>
#include <stdexcept>

namespace kelani::tool {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using namespace std::chrono_literals;

namespace {

constexpr auto kConnectTimeout = 5s;
constexpr auto kFirstBackoff = 200ms;
constexpr auto kMaxBackoff = 5s;
constexpr auto kMoveGap = 100ms; // at most 10 own moves a second

using Socket = websocket::stream<beast::tcp_stream>;

} // namespace

TOnlineUrl ParseOnlineUrl(const std::string& url) {
    const std::string scheme = "ws://";
    if (url.rfind(scheme, 0) != 0) throw std::invalid_argument("the server address must begin with ws://");
    const std::string rest = url.substr(scheme.size());
    const size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    TOnlineUrl out;
    out.target = slash == std::string::npos ? "/play" : rest.substr(slash);
    const size_t colon = authority.rfind(':');
    out.host = authority.substr(0, colon);
    out.port = colon == std::string::npos ? "80" : authority.substr(colon + 1);
    const bool digits = !out.port.empty() && out.port.size() <= 5 &&
                        out.port.find_first_not_of("0123456789") == std::string::npos;
    if (out.host.empty() || !digits) throw std::invalid_argument("'" + url + "' is no ws://HOST:PORT/PATH");
    return out;
}

class TOnlineSeat::Impl : public std::enable_shared_from_this<Impl> {
public:
    Impl(asio::io_context& io, TOnlineSeatConfig config)
        : io_(io), config_(std::move(config)), retry_(io), think_(io) {}

    void Start() {
        try {
            endpoints_ = tcp::resolver(io_).resolve(config_.url.host, config_.url.port);
        } catch (const std::exception& e) {
            return Finish(TSeatOutcome::GaveUp, "cannot find " + config_.url.host + ": " + e.what());
        }
        if (config_.reread) {
            summary_.game = config_.reread->first;
            summary_.token = config_.reread->second;
        }
        Connect();
    }

    // Ends the seat without a word to its owner, who is going.
    void Stop() {
        if (Done()) return;
        summary_.outcome = TSeatOutcome::GaveUp;
        summary_.problem = "stopped";
        retry_.cancel();
        Drop();
    }

    const TOnlineSummary& Summary() const { return summary_; }

private:
    bool Done() const { return summary_.outcome != TSeatOutcome::Playing; }

    // ---- the connection ----------------------------------------------------------------------

    void Connect() {
        socket_ = std::make_shared<Socket>(io_);
        outbox_.clear();
        writing_ = false;
        beast::get_lowest_layer(*socket_).expires_after(kConnectTimeout);
        beast::get_lowest_layer(*socket_).async_connect(
            endpoints_, [self = shared_from_this(), socket = socket_,
                         generation = generation_](beast::error_code ec, const tcp::endpoint&) {
                if (self->Stale(generation)) return;
                if (ec) return self->Lost(generation, ec);
                self->Handshake(generation);
            });
    }

    void Handshake(unsigned generation) {
        beast::get_lowest_layer(*socket_).expires_never();
        websocket::stream_base::timeout timeout{};
        timeout.handshake_timeout = kConnectTimeout;
        timeout.idle_timeout = config_.idle;
        timeout.keep_alive_pings = true;
        socket_->set_option(timeout);
        socket_->read_message_max(64 * 1024);
        socket_->async_handshake(
            config_.url.host + ":" + config_.url.port, config_.url.target,
            [self = shared_from_this(), socket = socket_, generation](beast::error_code ec) {
                if (self->Stale(generation)) return;
                if (ec) return self->Lost(generation, ec);
                self->Hello();
                self->Read(generation);
            });
    }

    // The first request on a connection: a seat that holds a token takes it again; one that has
    // none yet joins again with the same key, which answers a join whose answer was lost.
    void Hello() {
        if (!summary_.token.empty())
            Send(ResumeRequest(summary_.game, summary_.token, static_cast<int>(summary_.moves.size())));
        else if (config_.create)
            Send(CreateRequest(*config_.create, config_.player));
        else
            Send(JoinRequest(config_.code, config_.player, joinKey_));
    }

    void Read(unsigned generation) {
        socket_->async_read(
            buffer_, [self = shared_from_this(), socket = socket_, generation](beast::error_code ec, size_t) {
                if (self->Stale(generation)) return;
                if (ec) return self->Lost(generation, ec);
                const std::string text = beast::buffers_to_string(self->buffer_.data());
                self->buffer_.consume(self->buffer_.size());
                self->Handle(text);
                if (!self->Done() && !self->Stale(generation)) self->Read(generation);
            });
    }

    void Send(std::string text) {
        outbox_.push_back(std::move(text));
        if (!writing_) Write(generation_);
    }

    void Write(unsigned generation) {
        writing_ = true;
        socket_->text(true);
        socket_->async_write(asio::buffer(outbox_.front()), [self = shared_from_this(), socket = socket_,
                                                             generation](beast::error_code ec, size_t) {
            if (self->Stale(generation)) return;
            if (ec) return self->Lost(generation, ec);
            self->writing_ = false;
            self->outbox_.pop_front();
            if (!self->outbox_.empty()) self->Write(generation);
        });
    }

    // Handlers of a connection given up already, or of a finished seat, do nothing.
    bool Stale(unsigned generation) const { return generation != generation_ || Done(); }

    void Lost(unsigned generation, const beast::error_code& ec) {
        if (Stale(generation)) return;
        Drop();
        const auto now = std::chrono::steady_clock::now();
        if (lostAt_ == std::chrono::steady_clock::time_point{}) lostAt_ = now;
        if (now - lostAt_ >= config_.giveUp)
            return Finish(TSeatOutcome::GaveUp,
                          "no connection to " + config_.url.host + ":" + config_.url.port + " for " +
                              std::to_string(config_.giveUp.count() / 1000) + " s (" + ec.message() + ")");
        retry_.expires_after(backoff_);
        backoff_ = std::min<std::chrono::milliseconds>(backoff_ * 2, kMaxBackoff);
        retry_.async_wait([self = shared_from_this(), generation = generation_](beast::error_code wait) {
            if (!wait && !self->Stale(generation)) self->Connect();
        });
    }

    // Forgets the current connection: its pending handlers see a new generation and end.
    void Drop() {
        ++generation_;
        think_.cancel();
        if (!socket_) return;
        beast::error_code ignored;
        beast::get_lowest_layer(*socket_).socket().close(ignored);
        socket_.reset();
    }

    // A request was answered: the connection is good again.
    void Seated() {
        lostAt_ = {};
        backoff_ = kFirstBackoff;
        sentFor_ = 0;
    }

    void Finish(TSeatOutcome outcome, std::string problem) {
        summary_.outcome = outcome;
        summary_.problem = std::move(problem);
        retry_.cancel();
        think_.cancel();
        if (socket_ && socket_->is_open())
            socket_->async_close(websocket::close_code::normal, [socket = socket_](beast::error_code) {});
        ++generation_;
        if (config_.onDone) config_.onDone(summary_);
    }

    // ---- the game ----------------------------------------------------------------------------

    // A move sent while the game's end was still on its way is refused as game-over: the end
    // itself follows, so that refusal is no failure of the seat.
    void Handle(const std::string& text) {
        const std::optional<JsonObject> message = JsonObject::Parse(text, JsonLists::Allowed);
        if (!message) return Finish(TSeatOutcome::Broken, "the server sent no JSON object: " + text);
        const std::string type = message->Text("type").value_or("");
        if (type == "created" || type == "joined")
            Seat(*message);
        else if (type == "start")
            Begin(*message, 0);
        else if (type == "resumed")
            Resumed(*message);
        else if (type == "move")
            Moved(*message);
        else if (type == "end")
            End(*message);
        else if (type == "error" && message->Text("code").value_or("") != "game-over")
            Finish(TSeatOutcome::Refused, "the server refused: " + message->Text("code").value_or("") + " (" +
                                              message->Text("message").value_or("") + ")");
    }

    void Seat(const JsonObject& message) {
        Seated();
        summary_.game = message.Text("game").value_or("");
        summary_.token = message.Text("token").value_or("");
        summary_.seat = static_cast<int>(message.Number("seat").value_or(0));
        if (message.Text("type") == "created") {
            summary_.code = message.Text("code").value_or("");
            if (config_.onCreated) config_.onCreated(summary_);
        }
    }

    void Resumed(const JsonObject& message) {
        Seated();
        if (!config_.reread) ++summary_.reconnects;
        summary_.seat = static_cast<int>(message.Number("seat").value_or(summary_.seat));
        const long long onServer = message.Number("moves").value_or(0);
        // Nobody has joined yet: the first seat is not drawn, the start follows the join.
        if (message.Text("state").value_or("") == "waiting") return;
        if (!started_)
            Begin(message, onServer);
        else
            serverMoves_ = onServer;
        Move();
    }

    void Begin(const JsonObject& message, long long onServer) {
        feld_.SetVariante(static_cast<int>(message.Number("variant").value_or(4)));
        feld_.SetSteineProMulde(static_cast<int>(message.Number("stones").value_or(4)));
        feld_.SetUseStirnmulde(message.Number("head").value_or(1) == 1);
        feld_.Reset();
        summary_.first = static_cast<int>(message.Number("first").value_or(1));
        feld_.SetAktSpieler(summary_.first);
        started_ = true;
        serverMoves_ = onServer;
        Move();
    }

    void Moved(const JsonObject& message) {
        const long long n = message.Number("n").value_or(-1);
        const int seat = static_cast<int>(message.Number("seat").value_or(-1));
        const int place = static_cast<int>(message.Number("place").value_or(-1));
        const auto have = static_cast<long long>(summary_.moves.size());
        if (n >= 1 && n <= have) {
            // A move heard again after a resume: it must be the one already played.
            if (summary_.moves[n - 1] != place)
                Finish(TSeatOutcome::Broken, "move " + std::to_string(n) + " changed on the server");
            return;
        }
        if (!started_ || n != have + 1 || seat != feld_.AktSpieler() || !feld_.IsLegalMove(place))
            return Finish(TSeatOutcome::Broken, "the server relayed move " + std::to_string(n) + " (place " +
                                                    std::to_string(place) + ") out of order or illegal");
        feld_.DoMove(place);
        summary_.moves.push_back(place);
        // The server passes for a player without a stone to sow, as the game does.
        for (int passes = 0; passes < 2 && !feld_.IsGameOver() && feld_.HasNoLegalMove(); ++passes)
            feld_.Skip();
        if (config_.onMove) config_.onMove(static_cast<int>(n), seat);
        Move();
    }

    void End(const JsonObject& message) {
        summary_.winner = static_cast<int>(message.Number("winner").value_or(-1));
        summary_.reason = message.Text("reason").value_or("");
        summary_.stores = message.Numbers("stores");
        Finish(TSeatOutcome::Finished, "");
    }

    // Plays the next move when it is this seat's turn and the server has told every move so far.
    void Move() {
        const int n = static_cast<int>(summary_.moves.size()) + 1;
        if (!config_.choose || !started_ || Done() || feld_.IsGameOver() ||
            feld_.AktSpieler() != summary_.seat ||
            summary_.moves.size() < static_cast<size_t>(serverMoves_) || sentFor_ == n)
            return;
        sentFor_ = n;
        // The server closes a connection sending more than 20 frames a second, counted as it reads
        // them: a quick computer answering at once would be thrown out of its own game, and half
        // that rate still holds while the server is slowed down for a second.
        const auto now = std::chrono::steady_clock::now();
        const auto pause =
            std::max<std::chrono::steady_clock::duration>(config_.think, lastSent_ + kMoveGap - now);
        if (pause <= std::chrono::steady_clock::duration::zero()) return Play(n);
        think_.expires_after(pause);
        think_.async_wait([self = shared_from_this(), n, generation = generation_](beast::error_code ec) {
            if (!ec && !self->Stale(generation)) self->Play(n);
        });
    }

    void Play(int n) {
        lastSent_ = std::chrono::steady_clock::now();
        Send(MoveRequest(n, config_.choose(feld_)));
        if (config_.onSent) config_.onSent(n);
    }

    asio::io_context& io_;
    TOnlineSeatConfig config_;
    const std::string joinKey_ = NewJoinKey();
    tcp::resolver::results_type endpoints_;
    std::shared_ptr<Socket> socket_;
    beast::flat_buffer buffer_;
    std::deque<std::string> outbox_;
    bool writing_ = false;
    unsigned generation_ = 0;
    asio::steady_timer retry_;
    asio::steady_timer think_;
    std::chrono::steady_clock::time_point lostAt_{};
    std::chrono::milliseconds backoff_ = kFirstBackoff;
    std::chrono::steady_clock::time_point lastSent_{};

    TOnlineSummary summary_;
    TFeld feld_;
    bool started_ = false;
    long long serverMoves_ = 0; // moves the server had when this seat last took its seat
    int sentFor_ = 0;           // the move number sent on this connection, 0 for none
};

TOnlineSeat::TOnlineSeat(asio::io_context& io, TOnlineSeatConfig config)
    : impl_(std::make_shared<Impl>(io, std::move(config))) {}

TOnlineSeat::~TOnlineSeat() {
    impl_->Stop();
}

void TOnlineSeat::Start() {
    impl_->Start();
}

void TOnlineSeat::Stop() {
    impl_->Stop();
}

const TOnlineSummary& TOnlineSeat::Summary() const {
    return impl_->Summary();
}

} // namespace kelani::tool
