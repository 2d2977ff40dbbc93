#pragma once
// The shipped nginx site in front of test servers, as deployed: rendered for test ports with a
// certificate of a test authority made by openssl, started by the test in its scratch folder.
#include "tests/server/ServerProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace kelani::server {

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void Replace(std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

class ScratchNginx {
public:
    // The site with the highscore server at `highscorePort` and, when given, the play service at
    // `playPort`; started() tells whether nginx came up.
    ScratchNginx(const std::filesystem::path& folder, int highscorePort, int playPort = 0) : folder_(folder) {
        MakeCertificates();
        std::string site = ReadText(KELANI_NGINX_SITE);
        const std::string f = folder_.string() + "/";
        Replace(site, "listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(tlsPort_) + " ssl;");
        Replace(site, "listen [::]:443 ssl;", "");
        Replace(site, "listen 80;", "listen 127.0.0.1:" + std::to_string(httpPort_) + ";");
        Replace(site, "listen [::]:80;", "");
        Replace(site, "/etc/ssl/kelani-highscore/fullchain.pem", f + "server.pem");
        Replace(site, "/etc/ssl/kelani-highscore/privkey.pem", f + "server.key");
        Replace(site, "server 127.0.0.1:8080", "server 127.0.0.1:" + std::to_string(highscorePort));
        if (playPort) Replace(site, "server 127.0.0.1:8090", "server 127.0.0.1:" + std::to_string(playPort));
        std::ofstream(f + "site.conf") << site;
        std::ofstream(f + "nginx.conf")
            << "daemon off; master_process off; worker_processes 1; pid " << f << "nginx.pid;\n"
            << "error_log " << f << "error.log warn;\nevents { worker_connections 2048; }\n"
            << "http { access_log off; client_body_temp_path " << f << "body; proxy_temp_path " << f
            << "proxy; fastcgi_temp_path " << f << "fcgi; uwsgi_temp_path " << f << "uwsgi; scgi_temp_path "
            << f << "scgi;\ninclude " << f << "site.conf; }\n";
        pid_ = fork();
        if (pid_ == 0) {
            execlp("nginx", "nginx", "-c", (f + "nginx.conf").c_str(), "-p", f.c_str(), nullptr);
            execl("/usr/sbin/nginx", "nginx", "-c", (f + "nginx.conf").c_str(), "-p", f.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100 && !started_; ++i) {
            const int fd = Connect("127.0.0.1", tlsPort_);
            started_ = fd >= 0;
            if (started_)
                close(fd);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~ScratchNginx() {
        if (pid_ <= 0) return;
        kill(pid_, SIGQUIT);
        waitpid(pid_, nullptr, 0);
    }
    ScratchNginx(const ScratchNginx&) = delete;
    ScratchNginx& operator=(const ScratchNginx&) = delete;

    bool started() const { return started_; }
    std::string log() const { return ReadText(folder_ / "error.log"); }
    int tlsPort() const { return tlsPort_; }
    int httpPort() const { return httpPort_; }

private:
    void MakeCertificates() {
        const std::string f = folder_.string() + "/";
        const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
        int code = -1;
        RunCommand("cd " + f + " && openssl req -x509" + key +
                       "-keyout ca.key -out ca.pem -days 2 -subj /CN=KelaniTestCA" +
                       " 2>/dev/null && openssl req" + key +
                       "-keyout server.key -out server.csr -subj /CN=127.0.0.1" +
                       " 2>/dev/null && echo subjectAltName=IP:127.0.0.1 >ext.cnf && openssl x509 -req -in "
                       "server.csr" +
                       " -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 -extfile ext.cnf "
                       "2>/dev/null",
                   &code);
        EXPECT_EQ(code, 0);
    }

    std::filesystem::path folder_;
    int tlsPort_ = FreePort(), httpPort_ = FreePort();
    pid_t pid_ = 0;
    bool started_ = false;
};

} // namespace kelani::server
