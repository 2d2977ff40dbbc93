#include "server/uPlayNotify.h"

#include "server/uPlayStore.h"

#include <libpq-fe.h>

#include <iostream>
#include <unistd.h>

namespace kelani::server {

PlayNotify::PlayNotify(boost::asio::io_context& io, const std::string& conninfo,
                       std::function<void(const std::string&)> onGame, std::function<void()> onGap)
    : io_(io), conninfo_(conninfo), onGame_(std::move(onGame)), onGap_(std::move(onGap)), retry_(io) {
    Connect();
    if (!connection_) throw StoreError("cannot listen on PostgreSQL");
}

PlayNotify::~PlayNotify() {
    socket_.reset();
    PQfinish(connection_);
}

void PlayNotify::Connect() {
    socket_.reset();
    PQfinish(connection_);
    connection_ = PQconnectdb(conninfo_.c_str());
    PGresult* result = PQstatus(connection_) == CONNECTION_OK
                           ? PQexec(connection_, (std::string("LISTEN ") + kPlayChannel).c_str())
                           : nullptr;
    const bool listening = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!listening) {
        std::cerr << "kelani-play-server: cannot listen on PostgreSQL: " << PQerrorMessage(connection_);
        PQfinish(connection_);
        connection_ = nullptr;
        return;
    }
    // Asio gets a duplicate to own and close; libpq keeps its own descriptor.
    socket_ = std::make_unique<boost::asio::posix::stream_descriptor>(io_, dup(PQsocket(connection_)));
    Wait();
}

void PlayNotify::Wait() {
    socket_->async_wait(boost::asio::posix::stream_descriptor::wait_read,
                        [this](boost::system::error_code ec) {
                            if (ec == boost::asio::error::operation_aborted) return;
                            if (ec || !PQconsumeInput(connection_)) return Retry();
                            Drain();
                            Wait();
                        });
}

void PlayNotify::Drain() {
    while (PGnotify* note = PQnotifies(connection_)) {
        const std::string game = note->extra;
        PQfreemem(note);
        onGame_(game);
    }
}

void PlayNotify::Retry() {
    socket_.reset();
    retry_.expires_after(std::chrono::seconds(1));
    retry_.async_wait([this](boost::system::error_code ec) {
        if (ec) return;
        Connect();
        if (!connection_) return Retry();
        onGap_();
    });
}

} // namespace kelani::server
