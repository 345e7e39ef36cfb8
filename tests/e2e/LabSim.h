#pragma once
// ondrel-sim as a child process of a lab test: started with its own log and ready file in a
// private temporary folder, waited for until it listens, stopped (SIGTERM, then SIGKILL) when
// the test is done. Its log is read back as JSON, one entry per datagram it received, so a
// test can check the exact bytes that the tool sent.
//
// Lab tests broadcast on the real ports: call ONDREL_REQUIRE_LAB() first in every test (or in
// the fixture's SetUp), so that a test program started by hand outside scripts/netlab refuses
// to send anything.

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <net/if.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef ONDREL_SIM_PATH
#error "ONDREL_SIM_PATH must name the ondrel-sim binary (tests/e2e/CMakeLists.txt sets it)"
#endif

// Fails the current test (and skips its body when used in SetUp) outside the lab.
#define ONDREL_REQUIRE_LAB()                                                                       \
    ASSERT_TRUE(::ondrel::lab::InLab())                                                            \
        << "this test broadcasts: run it under scripts/netlab (ctest does)"

namespace ondrel::lab {

using namespace std::chrono_literals;

// True only inside a private lab: ONDREL_NETLAB=1 and exactly the interfaces of one of its
// layouts, lo and v0 (one adapter) or lo, eOffice and eCam (two LANs). (The interface list
// comes from the kernel for the current namespace; /sys would show the host's.)
inline bool InLab() {
    const char* mark = std::getenv("ONDREL_NETLAB");
    if (mark == nullptr || std::string_view(mark) != "1") {
        return false;
    }
    struct if_nameindex* list = if_nameindex();
    if (list == nullptr) {
        return false;
    }
    std::set<std::string> names;
    for (const struct if_nameindex* i = list; i->if_index != 0; ++i) {
        names.insert(i->if_name);
    }
    if_freenameindex(list);
    return names == std::set<std::string>{"lo", "v0"} ||
           names == std::set<std::string>{"lo", "eOffice", "eCam"};
}

// Polls until done() holds or the timeout passes; returns done()'s last answer.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

inline std::vector<uint8_t> FromHex(std::string_view hex) {
    auto nibble = [](char c) {
        return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    };
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    }
    return out;
}

class LabSim {
public:
    using Entry = nlohmann::json;

    LabSim() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ondrel-sim-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_dir = pattern;
        }
    }
    ~LabSim() {
        Stop();
        if (!m_dir.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_dir, ignored);
        }
    }
    LabSim(const LabSim&) = delete;
    LabSim& operator=(const LabSim&) = delete;

    const std::string& Dir() const { return m_dir; }

    // Starts the simulator inside another network namespace of the lab (a LAN of
    // scripts/netlab --two-lans, given as ONDREL_LAB_A_NETNS or ONDREL_LAB_B_NETNS).
    void EnterNetwork(std::string netnsPath) { m_netns = std::move(netnsPath); }
    std::string LogPath() const { return m_dir + "/log.jsonl"; }

    // Writes a device file for --config; returns its path.
    std::string WriteConfig(const nlohmann::json& devices,
                            const std::string& name = "devices.json") {
        const std::string path = m_dir + "/" + name;
        std::ofstream(path) << devices.dump(2);
        return path;
    }

    // Starts the simulator with args (plus its own --log and --ready) and waits until it
    // listens. Returns an empty string on success, else what went wrong. The wait is generous
    // because a simulator that composes a large burst at start is slow under a sanitizer on a
    // loaded machine; a quick start does not wait for it.
    std::string Start(std::vector<std::string> args, std::chrono::milliseconds timeout = 30s) {
        if (m_dir.empty()) {
            return "no temporary folder";
        }
        if (m_pid > 0) {
            return "already running";
        }
        const std::string ready = m_dir + "/ready";
        std::filesystem::remove(ready);
        args.insert(args.begin(), ONDREL_SIM_PATH);
        if (!m_netns.empty()) {
            args.insert(args.begin(), {"/usr/bin/nsenter", "--net=" + m_netns, "--"});
        }
        args.insert(args.end(), {"--log", LogPath(), "--ready", ready});
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);

        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid < 0) {
            return std::string("fork: ") + std::strerror(errno);
        }
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec: the test may have threads.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(127);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        m_pid = pid;
        const bool up =
            WaitUntil([&] { return std::filesystem::exists(ready) || !Running(); }, timeout);
        if (!up || !std::filesystem::exists(ready)) {
            const int status = Stop();
            return "ondrel-sim did not start (exit status " + std::to_string(status) + ")";
        }
        std::ifstream(ready) >> m_port >> m_wsdPort >> m_httpPort;
        return {};
    }

    bool Running() {
        if (m_pid <= 0) {
            return false;
        }
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_pid = -1;
            m_status = Decode(status);
            return false;
        }
        return true;
    }

    // The signal (SIGTERM by default), then SIGKILL if it does not end in time. Returns the
    // exit status (128 + signal number when killed by a signal), or the last known status
    // when not running.
    int Stop(std::chrono::milliseconds timeout = 5s, int signal = SIGTERM) {
        if (!Running()) {
            return m_status;
        }
        ::kill(m_pid, signal);
        if (!WaitUntil([this] { return !Running(); }, timeout)) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
            m_status = Decode(status);
        }
        return m_status;
    }

    // Waits for the simulator to end by itself; its exit status, or -1 if still running.
    int WaitForExit(std::chrono::milliseconds timeout = 5s) {
        WaitUntil([this] { return !Running(); }, timeout);
        return m_pid > 0 ? -1 : m_status;
    }

    uint16_t Port() const { return m_port; }
    // The WS-Discovery port (with --onvif and the like), else 0.
    uint16_t WsdPort() const { return m_wsdPort; }
    // The ONVIF device service's HTTP port (with --onvif), else 0.
    uint16_t HttpPort() const { return m_httpPort; }

    // Every entry logged so far (a line still being written is left for the next call).
    std::vector<Entry> Log() const {
        std::vector<Entry> entries;
        std::ifstream in(LogPath());
        std::string line;
        while (std::getline(in, line)) {
            if (in.eof()) {
                break; // no newline yet: the line may be incomplete
            }
            Entry e = Entry::parse(line, nullptr, false);
            if (!e.is_discarded()) {
                entries.push_back(std::move(e));
            }
        }
        return entries;
    }

    std::vector<Entry> LogOfKind(std::string_view kind) const {
        std::vector<Entry> out;
        for (Entry& e : Log()) {
            if (e.value("kind", "") == kind) {
                out.push_back(std::move(e));
            }
        }
        return out;
    }

    // Waits until the log holds at least count entries of this kind; returns them.
    std::vector<Entry> WaitForLog(std::string_view kind, std::size_t count,
                                  std::chrono::milliseconds timeout = 5s) const {
        std::vector<Entry> found;
        WaitUntil(
            [&] {
                found = LogOfKind(kind);
                return found.size() >= count;
            },
            timeout);
        return found;
    }

private:
    static int Decode(int status) {
        if (WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    }

    std::string m_dir;
    std::string m_netns;
    pid_t m_pid = -1;
    int m_status = -1;
    uint16_t m_port = 0;
    uint16_t m_wsdPort = 0;
    uint16_t m_httpPort = 0;
};

} // namespace ondrel::lab
