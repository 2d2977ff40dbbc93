#pragma once
// A PostgreSQL cluster of its own for a test, in a scratch folder.
#include "tests/server/ServerProcess.h"

#include <glob.h>
#include <pwd.h>

namespace kelani::server {

inline std::string PostgresBin() {
    glob_t found{};
    glob("/usr/lib/postgresql/*/bin/postgres", 0, nullptr, &found);
    const std::string bin =
        found.gl_pathc ? std::filesystem::path(found.gl_pathv[found.gl_pathc - 1]).parent_path().string()
                       : "";
    globfree(&found);
    return bin;
}

// A PostgreSQL cluster of its own; PostgreSQL refuses to run as root, so as root the test runs it
// as "nobody" on a folder that user owns.
class ScratchPostgres {
public:
    explicit ScratchPostgres(const std::filesystem::path& folder)
        : data_(folder / "data"), port_(FreePort()) {
        const std::string bin = PostgresBin();
        if (bin.empty()) return;
        std::string as;
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid);
            as = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
        }
        int code = -1;
        RunCommand(as + bin + "/initdb -D " + data_.string() + " -U kelani --auth=trust -E UTF8 >/dev/null",
                   &code);
        if (code != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            const std::string command = "exec " + as + bin + "/postgres -D " + data_.string() + " -p " +
                                        std::to_string(port_) + " -k " + folder.string() +
                                        " -c listen_addresses=127.0.0.1 >" +
                                        (folder / "postgres.log").string() + " 2>&1";
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 200 && !ready_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            RunCommand(bin + "/pg_isready -q -h 127.0.0.1 -p " + std::to_string(port_), &code);
            ready_ = code == 0;
        }
    }
    ~ScratchPostgres() {
        if (pid_ <= 0) return;
        kill(pid_, SIGINT); // fast shutdown
        waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return ready_; }
    std::string url() const { return "postgresql://kelani@127.0.0.1:" + std::to_string(port_) + "/postgres"; }

private:
    std::filesystem::path data_;
    int port_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

} // namespace kelani::server
