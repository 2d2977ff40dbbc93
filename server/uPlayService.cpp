#include "server/uPlayService.h"

#include "records/uFlatJson.h"
#include "server/uAddress.h"
#include "server/uPlayText.h"

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <cctype>
#include <deque>
#include <iostream>
#include <limits>

namespace kelani::server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

long long WallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

namespace {

constexpr size_t kMaxFrame = 4096;
constexpr size_t kNameChars = 32;
constexpr size_t kEmailChars = 100;
constexpr size_t kCountryChars = 40;
constexpr size_t kChatChars = 200;
constexpr int kAcceptBurst = 256; // connections taken at one wake-up beyond the first

std::string ErrorMessage(const std::string& code, const std::string& message) {
    return JsonWriter().Add("type", "error").Add("code", code).Add("message", message).Text();
}

// The start fields every seat learns of a game.
JsonWriter& StartFields(JsonWriter& w, const GameRecord& g) {
    return w.Add("game", g.id)
        .Add("variant", g.setup.variant)
        .Add("stones", g.setup.stones)
        .Add("head", g.setup.head ? 1 : 0)
        .Add("clock", ClockKindName(g.setup.clock))
        .Add("seconds", g.setup.seconds)
        .Add("first", g.setup.first)
        .Add("names", std::vector<std::string>{g.players[0].name, g.players[1].name})
        .Add("countries", std::vector<std::string>{g.players[0].country, g.players[1].country});
}

std::string EndMessage(const GameRecord& g) {
    return JsonWriter()
        .Add("type", "end")
        .Add("reason", g.reason)
        .Add("winner", g.winner)
        .Add("stores", std::vector<long long>{g.stores[0], g.stores[1]})
        .Add("moves", g.moves)
        .Text();
}

// A request that is refused: the code the client gets, and whether the connection goes.
struct Refused {
    std::string code, message;
};

} // namespace

class PlaySession : public std::enable_shared_from_this<PlaySession> {
public:
    PlaySession(PlayService& service, tcp::socket socket)
        : service_(service), ws_(std::move(socket)), hello_(service.Io()), ping_(service.Io()) {}
    ~PlaySession() {
        service_.Closed();
        if (game_.empty()) return;
        service_.Detach(this, game_);
        try {
            // A player who came back on a new connection before this one went is still there.
            if (!service_.Holds(game_, seat_)) service_.Store().SetOnline(game_, seat_, false);
            service_.Relay(game_);
        } catch (const StoreError& e) {
            std::cerr << "kelani-play-server: " << e.what() << "\n";
        }
    }

    void Start() {
        beast::get_lowest_layer(ws_).expires_after(service_.Options().hello);
        parser_.emplace();
        parser_->header_limit(8192);
        parser_->body_limit(0);
        http::async_read(beast::get_lowest_layer(ws_), buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code ec, size_t) { self->OnRequest(ec); });
    }

    int Seat() const { return seat_; }

    // Sends what the store holds for this seat that it has not had yet; the game's deadline as
    // read then (0 for none), nothing when nothing was read.
    std::optional<long long> CatchUp() {
        if (closing_) return std::nullopt;
        try {
            const PlayNews news = service_.Store().News(game_, lastEvent_, lastMove_, WallMs());
            if (!news.record) return std::nullopt;
            for (const auto& e : news.events) {
                lastEvent_ = e.seq;
                SendEvent(e, *news.record);
            }
            SendMoves(news.moves);
            if (news.record->state == "over" && !endSent_) {
                endSent_ = true;
                Send(EndMessage(*news.record));
            }
            return news.deadline;
        } catch (const StoreError& e) {
            std::cerr << "kelani-play-server: " << e.what() << "\n";
            return std::nullopt;
        }
    }

private:
    // ---- the upgrade ----

    void OnRequest(beast::error_code ec) {
        if (ec) return;
        const auto& req = parser_->get();
        address_ = ClientAddress(req);
        if (req.target() != "/play" || !websocket::is_upgrade(req)) return Reject(req);
        beast::get_lowest_layer(ws_).expires_never();
        ws_.set_option(
            websocket::stream_base::timeout{service_.Options().hello, service_.Options().idle, false});
        ws_.read_message_max(kMaxFrame);
        ws_.async_accept(req,
                         [self = shared_from_this()](beast::error_code error) { self->OnAccepted(error); });
    }

    // The peer, or behind our proxy on this machine the address it names in X-Real-IP.
    std::string ClientAddress(const http::request<http::empty_body>& req) const {
        beast::error_code ec;
        const auto peer = beast::get_lowest_layer(ws_).socket().remote_endpoint(ec);
        const std::string address = ec ? std::string() : peer.address().to_string();
        if (!service_.Options().behindProxy || !IsLoopback(address)) return address;
        const auto header = req.find("X-Real-IP");
        if (header == req.end()) return address;
        return CanonicalAddress(std::string(header->value())).value_or(address);
    }

    void Reject(const http::request<http::empty_body>& req) {
        auto res = std::make_shared<http::response<http::string_body>>(
            req.target() == "/play" ? http::status::upgrade_required : http::status::not_found,
            req.version());
        res->set(http::field::content_type, "text/plain");
        res->body() = req.target() == "/play" ? "a WebSocket upgrade is needed here\n" : "not found\n";
        res->keep_alive(false);
        res->prepare_payload();
        http::async_write(
            beast::get_lowest_layer(ws_), *res, [self = shared_from_this(), res](beast::error_code, size_t) {
                beast::error_code ignored;
                beast::get_lowest_layer(self->ws_).socket().shutdown(tcp::socket::shutdown_both, ignored);
            });
    }

    void OnAccepted(beast::error_code ec) {
        if (ec) return;
        hello_.expires_after(service_.Options().hello);
        hello_.async_wait([weak = weak_from_this()](beast::error_code error) {
            if (auto self = weak.lock(); self && !error && self->game_.empty())
                self->Refuse({"bad-request", "no create, join or resume in time"}, true);
        });
        Ping();
        Read();
    }

    void Ping() {
        ping_.expires_after(service_.Options().ping);
        ping_.async_wait([weak = weak_from_this()](beast::error_code ec) {
            auto self = weak.lock();
            if (!self || ec || self->closing_) return;
            self->ws_.async_ping({}, [](beast::error_code) {});
            self->Ping();
        });
    }

    // ---- reading ----

    void Read() {
        ws_.async_read(buffer_,
                       [self = shared_from_this()](beast::error_code ec, size_t) { self->OnFrame(ec); });
    }

    void OnFrame(beast::error_code ec) {
        if (ec) {
            // Beast has closed with 1009 after an oversized frame; anything else: the peer went.
            hello_.cancel();
            ping_.cancel();
            return;
        }
        const std::string text = beast::buffers_to_string(buffer_.data());
        buffer_.consume(buffer_.size());
        if (closing_) return;
        if (Flooding())
            return Refuse({"flood", "more than " + std::to_string(service_.Options().framesPerSecond) +
                                        " frames a second"},
                          true);
        if (!ws_.got_text()) return Refuse({"bad-json", "binary frames are not messages"}, true);
        const auto message = JsonObject::Parse(text);
        if (!message) return Refuse({"bad-json", "not one JSON object"}, true);
        try {
            Handle(*message);
        } catch (const StoreError& e) {
            std::cerr << "kelani-play-server: " << e.what() << "\n";
            Refuse({"server", "the database refused; nothing was stored"}, false);
        }
        Read();
    }

    bool Flooding() {
        const auto now = std::chrono::steady_clock::now();
        frames_.push_back(now);
        while (now - frames_.front() >= std::chrono::seconds(1)) frames_.pop_front();
        return frames_.size() > static_cast<size_t>(service_.Options().framesPerSecond);
    }

    // ---- the requests ----

    void Handle(const JsonObject& m) {
        const std::string type = m.Text("type").value_or("");
        if (game_.empty()) {
            if (type == "create") return Create(m);
            if (type == "join") return Join(m);
            if (type == "resume") return Resume(m);
            return Refuse({"bad-request", "first create, join or resume"}, false);
        }
        if (type == "move") return Move(m);
        if (type == "resign") return Answer(service_.Store().Resign(game_, seat_, WallMs()));
        if (type == "draw")
            return Answer(service_.Store().Draw(game_, seat_, m.Text("action").value_or(""), WallMs()));
        if (type == "chat") return Chat(m);
        Refuse({"bad-request", "unknown request for a seat: " + type.substr(0, 20)}, false);
    }

    // The player's name, e-mail and country, filtered; nothing when one is missing or too long.
    std::optional<PlayerInfo> Player(const JsonObject& m) const {
        const auto name = m.Text("name"), email = m.Text("email"), country = m.Text("country");
        if (!name || !email || !country) return std::nullopt;
        PlayerInfo p{FilterText(*name, kNameChars), FilterText(*email, kEmailChars),
                     FilterText(*country, kCountryChars), address_};
        if (p.name.empty() || (p.email.empty() && !email->empty()) ||
            (p.country.empty() && !country->empty()))
            return std::nullopt;
        return p;
    }

    static bool InRange(const std::optional<long long>& value, long long lo, long long hi) {
        return value && *value >= lo && *value <= hi;
    }

    void Create(const JsonObject& m) {
        PlaySetup setup;
        const auto player = Player(m);
        const auto variant = m.Number("variant"), stones = m.Number("stones"), head = m.Number("head");
        const auto seconds = m.Number("seconds");
        if (!player || !InRange(variant, 4, 6) || !InRange(stones, 3, 8) || !InRange(head, 0, 1) ||
            !ParseClockKind(m.Text("clock").value_or(""), setup.clock) ||
            (setup.clock != ClockKind::None && !InRange(seconds, 10, 7200)))
            return Refuse({"bad-request", "create needs variant 4..6, stones 3..8, head 0/1, a clock, "
                                          "seconds 10..7200 and a name"},
                          false);
        setup.variant = static_cast<int>(*variant);
        setup.stones = static_cast<int>(*stones);
        setup.head = *head != 0;
        setup.seconds = setup.clock == ClockKind::None ? 0 : static_cast<int>(*seconds);
        const Created created = service_.Store().Create(setup, *player, WallMs());
        Send(JsonWriter()
                 .Add("type", "created")
                 .Add("game", created.game)
                 .Add("code", created.code)
                 .Add("seat", 1)
                 .Add("token", created.token)
                 .Text());
        TakeSeat(created.game, 1);
    }

    // A join key: 16 to 64 letters, digits, '_' and '-'.
    static bool GoodKey(const std::string& key) {
        return key.size() >= 16 && key.size() <= 64 &&
               std::all_of(key.begin(), key.end(),
                           [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-'; });
    }

    void Join(const JsonObject& m) {
        const auto player = Player(m);
        const auto code = m.Text("code");
        const std::string key = m.Text("key").value_or("");
        if (!player || !code || (m.fields.count("key") != 0 && !GoodKey(key)))
            return Refuse({"bad-request", "join needs a code, a name and at most a key of 16..64 characters "
                                          "A-Z a-z 0-9 _ -"},
                          false);
        const Joined joined = service_.Store().Join(*code, *player, key, WallMs());
        if (!joined.error.empty()) return Refuse({joined.error, "cannot join: " + joined.error}, false);
        Send(JsonWriter()
                 .Add("type", "joined")
                 .Add("game", joined.game)
                 .Add("seat", 2)
                 .Add("token", joined.token)
                 .Text());
        TakeSeat(joined.game, 2);
        service_.Relay(game_);
    }

    void Resume(const JsonObject& m) {
        const auto game = m.Text("game"), token = m.Text("token");
        const auto last = m.Number("last");
        if (!game || !token || !InRange(last, 0, 1 << 20))
            return Refuse({"bad-request", "resume needs game, token and last"}, false);
        const int seat = game->size() <= 64 ? service_.Store().Seat(*game, *token) : 0;
        if (seat == 0) return Refuse({"bad-token", "no seat of that game has this token"}, true);
        const long long now = WallMs();
        // The game as it stands and the moves the client lacks, from one state of the database:
        // the events up to it are history, the ones after it come with the next catching up.
        const auto read = [&] {
            return service_.Store().News(*game, std::numeric_limits<long long>::max(),
                                         static_cast<int>(*last), now);
        };
        PlayNews news = read();
        // A clock that ran out while nobody was there ends the game first.
        if (news.deadline != 0 && now >= news.deadline && service_.Store().Expire(*game, now)) news = read();
        const GameRecord& record = *news.record;
        lastEvent_ = news.lastEvent;
        lastMove_ = record.moves;
        JsonWriter w;
        w.Add("type", "resumed").Add("seat", seat);
        StartFields(w, record)
            .Add("moves", record.moves)
            .Add("clocks", std::vector<long long>{news.clocks[0], news.clocks[1]})
            .Add("state", record.state);
        Send(w.Text());
        SendMoves(news.moves);
        Send(JsonWriter()
                 .Add("type", "presence")
                 .Add("seat", 3 - seat)
                 .Add("online", record.online[2 - seat])
                 .Text());
        if (record.state == "over") Send(EndMessage(record));
        endSent_ = record.state == "over";
        TakeSeat(*game, seat);
    }

    void TakeSeat(const std::string& game, int seat) {
        game_ = game;
        seat_ = seat;
        hello_.cancel();
        service_.Attach(this, game_);
        service_.Store().SetOnline(game_, seat_, true);
        service_.Relay(game_);
    }

    void Move(const JsonObject& m) {
        const auto n = m.Number("n"), place = m.Number("place");
        if (!n || !place) return Refuse({"bad-request", "move needs n and place"}, false);
        Answer(service_.Store().Move(game_, seat_, *n, *place, WallMs()));
    }

    void Chat(const JsonObject& m) {
        const std::string text = FilterText(m.Text("text").value_or(""), kChatChars);
        if (text.empty()) return Refuse({"bad-request", "a chat line has 1 to 200 characters"}, false);
        Answer(service_.Store().Chat(game_, seat_, text));
    }

    // A change went through (relayed to everyone, this seat included) or was refused.
    void Answer(const std::string& error) {
        if (!error.empty()) Refuse({error, "refused: " + error}, false);
        service_.Relay(game_);
    }

    // ---- writing ----

    void SendMoves(const std::vector<PlayedMove>& moves) {
        for (const auto& m : moves) {
            lastMove_ = m.n;
            Send(JsonWriter()
                     .Add("type", "move")
                     .Add("n", m.n)
                     .Add("seat", m.seat)
                     .Add("place", m.place)
                     .Add("clocks", std::vector<long long>{m.clocks[0], m.clocks[1]})
                     .Text());
        }
    }

    void SendEvent(const PlayEvent& e, const GameRecord& g) {
        const bool mine = e.seat == seat_;
        if (e.kind == "start") {
            JsonWriter w;
            w.Add("type", "start");
            Send(StartFields(w, g).Text());
        } else if (e.kind == "chat") {
            Send(JsonWriter().Add("type", "chat").Add("seat", e.seat).Add("text", e.text).Text());
        } else if (e.kind == "presence" && !mine) {
            Send(
                JsonWriter().Add("type", "presence").Add("seat", e.seat).Add("online", e.text == "1").Text());
        } else if (e.kind == "draw" && !mine) {
            Send(JsonWriter().Add("type", "draw").Add("action", e.text).Add("seat", e.seat).Text());
        }
    }

    void Refuse(const Refused& refusal, bool close) {
        Send(ErrorMessage(refusal.code, refusal.message));
        if (close) {
            closing_ = true;
            Flush();
        }
    }

    void Send(const std::string& text) {
        if (closing_) return;
        queue_.push_back(text);
        Flush();
    }

    void Flush() {
        if (writing_) return;
        if (queue_.empty()) {
            if (closing_ && !closed_) {
                closed_ = true;
                ws_.async_close(websocket::close_code::policy_error,
                                [self = shared_from_this()](beast::error_code) {
                                    self->hello_.cancel();
                                    self->ping_.cancel();
                                });
            }
            return;
        }
        writing_ = true;
        ws_.text(true);
        ws_.async_write(asio::buffer(queue_.front()),
                        [self = shared_from_this()](beast::error_code ec, size_t) {
                            self->writing_ = false;
                            self->queue_.pop_front();
                            if (ec) {
                                self->queue_.clear();
                                return;
                            }
                            self->Flush();
                        });
    }

    PlayService& service_;
    websocket::stream<beast::tcp_stream> ws_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::empty_body>> parser_;
    asio::steady_timer hello_, ping_;
    std::deque<std::chrono::steady_clock::time_point> frames_;
    std::deque<std::string> queue_;
    bool writing_ = false, closing_ = false, closed_ = false;
    std::string address_;
    std::string game_;
    int seat_ = 0;
    int lastMove_ = 0;
    long long lastEvent_ = 0;
    bool endSent_ = false;
};

PlayService::PlayService(asio::io_context& io, PlayStore& store, const PlayOptions& options)
    : io_(io), store_(store), options_(options), acceptor_(io) {}

PlayService::~PlayService() = default;

int PlayService::Bind(const std::string& address, int port) {
    beast::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec) return -1;
    const tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    // The burst below must never wait: with no connection left, or one already given up by its
    // client, accept returns at once instead of polling for the next.
    if (!ec) acceptor_.non_blocking(true, ec);
    if (!ec) acceptor_.set_option(asio::socket_base::enable_connection_aborted(true), ec);
    if (ec) return -1;
    return acceptor_.local_endpoint().port();
}

void PlayService::Start() {
    Accept();
}

void PlayService::Accept() {
    acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted) return;
        if (!ec) Welcome(std::move(socket));
        // The connections waiting as well are taken now, not one a turn of a busy loop: when
        // another instance fails, its players all arrive here at once.
        for (int more = 0; !ec && more < kAcceptBurst; ++more) {
            tcp::socket next(io_);
            acceptor_.accept(next, ec);
            if (!ec) Welcome(std::move(next));
        }
        Accept();
    });
}

void PlayService::Welcome(tcp::socket socket) {
    beast::error_code ec;
    if (open_ >= options_.connections) {
        socket.close(ec); // full: turned away before a byte is read
        return;
    }
    ++open_;
    socket.set_option(tcp::no_delay(true), ec);
    std::make_shared<PlaySession>(*this, std::move(socket))->Start();
}

void PlayService::Attach(PlaySession* session, const std::string& game) {
    games_[game].insert(session);
}

void PlayService::Detach(PlaySession* session, const std::string& game) {
    auto it = games_.find(game);
    if (it == games_.end()) return;
    it->second.erase(session);
    if (!it->second.empty()) return;
    games_.erase(it);
    clocks_.erase(game);
}

bool PlayService::Holds(const std::string& game, int seat) const {
    const auto it = games_.find(game);
    if (it == games_.end()) return false;
    for (const PlaySession* session : it->second)
        if (session->Seat() == seat) return true;
    return false;
}

void PlayService::Relay(const std::string& game) {
    const auto it = games_.find(game);
    if (it == games_.end()) return;
    std::optional<long long> deadline;
    for (PlaySession* session : std::set<PlaySession*>(it->second))
        if (const auto read = session->CatchUp()) deadline = read;
    ArmClock(game, deadline.value_or(0));
}

void PlayService::RelayAll() {
    std::vector<std::string> games;
    for (const auto& entry : games_) games.push_back(entry.first);
    for (const auto& game : games) Relay(game);
}

// The instance holding a seat watches the clock of the seat to move; whichever instance notices
// first ends the game, the others read the end from the database.
void PlayService::ArmClock(const std::string& game, long long deadline) {
    if (deadline == 0) {
        clocks_.erase(game);
        return;
    }
    auto& timer = clocks_[game];
    if (!timer) timer = std::make_unique<asio::steady_timer>(io_);
    timer->expires_after(std::chrono::milliseconds(std::max(0LL, deadline - WallMs()) + 5));
    timer->async_wait([this, game](beast::error_code ec) {
        if (ec) return;
        try {
            store_.Expire(game, WallMs());
        } catch (const StoreError& e) {
            std::cerr << "kelani-play-server: " << e.what() << "\n";
        }
        Relay(game);
    });
}

} // namespace kelani::server
