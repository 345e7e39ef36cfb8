#pragma once
// The fixture of ondrel-cli's lab tests: a simulator with a known set of devices, and a way to
// run the CLI as a child process with given arguments, standard input and environment, its
// output and exit code collected. Standard output and error are pipes, not terminals, so the
// CLI must print nothing but its result.

#include "EndpointLab.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <vector>

#ifndef ONDREL_CLI_PATH
#error "ONDREL_CLI_PATH must name the ondrel-cli binary (tests/e2e/CMakeLists.txt sets it)"
#endif

extern char** environ;

namespace ondrel::lab {

struct CliRun {
    int exitCode = -1; // 128 + signal when killed
    std::string out;
    std::string err;
};

// The endpoint reference the simulator gives a camera: its MAC's hex digits, lower case.
inline std::string EndpointOf(const sim::SimDevice& d) {
    std::string hex;
    for (const char c : d.mac) {
        if (c != ':') {
            hex += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return "urn:uuid:6f6e6472-656c-1000-8000-" + hex;
}

inline std::ostream& operator<<(std::ostream& os, const CliRun& r) {
    return os << "exit " << r.exitCode << "\n--- stdout\n" << r.out << "--- stderr\n" << r.err;
}

// Runs ondrel-cli with args; input is written to its standard input, which is then closed.
// extraEnv entries are "NAME=value". A run that outlives timeout is killed.
inline CliRun RunCli(std::vector<std::string> args, const std::string& input = "",
                     const std::vector<std::string>& extraEnv = {},
                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    CliRun run;
    args.insert(args.begin(), ONDREL_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStore(extraEnv);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) {
        envp.push_back(*e);
    }
    for (std::string& e : envStore) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        run.err = "pipe failed";
        return run;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (!input.empty()) {
        // Small inputs only: a pipe takes far more than a password line.
        [[maybe_unused]] const ssize_t n = ::write(in[1], input.data(), input.size());
    }
    ::close(in[1]);

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
                char buf[4096];
                const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    sinks[i]->append(buf, static_cast<std::size_t>(n));
                } else {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    if (open > 0) {
        ::kill(pid, SIGKILL);
        for (const pollfd& f : fds) {
            if (f.fd >= 0) {
                ::close(f.fd);
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// The devices every CLI lab test starts with. Their passwords are distinct, so that a leak of
// one into the output is found by searching for it.
inline std::vector<sim::SimDevice> CliDevices() {
    std::vector<sim::SimDevice> d;
    for (std::size_t i = 0; i < 6; ++i) {
        d.push_back(sim::SimDevice::generated(i));
        d[i].user = "admin";
        d[i].password = "pw-" + std::to_string(i) + "-Zq8";
        d[i].restartMs = 300;
    }
    d[0].name = "Lobby";
    d[0].ip = "10.77.0.21";
    d[0].mask = "255.255.255.0";
    d[0].gateway = "10.77.0.1";
    d[0].dns0 = "10.77.0.2";
    d[0].dns1 = "10.77.0.3";
    d[1].name = "Yard";
    d[1].onSet = sim::OnSet::Refuse;
    d[1].dhcp = true;
    d[1].httpPort = 8080;
    d[2].name = "大门 1"; // typed on the camera's web page: UTF-8 on the wire
    d[2].onSet = sim::OnSet::Silent;
    d[2].wifi = true;
    d[3].name = "Old port";
    d[3].httpPort = 10000;
    d[4].name = "Slow boot";
    d[4].restartMs = 20000;
    d[5].name = "Quoted, \"odd\" name";
    d[5].gateway = "";
    return d;
}

class CliLab : public ::testing::Test {
protected:
    void SetUp() override { ONDREL_REQUIRE_LAB(); }

    void StartSim(std::vector<std::string> extra = {}) {
        nlohmann::json list = nlohmann::json::array();
        for (const sim::SimDevice& d : devices) {
            list.push_back(DeviceJson(d));
        }
        std::vector<std::string> args = {"--config", sim.WriteConfig(list)};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_EQ(sim.Start(std::move(args)), "");
    }

    // Everything the simulator received before a marker search sent last from a port of its
    // own: datagrams travel the lab in order, so once the marker is logged every earlier one
    // is too.
    std::vector<LabSim::Entry> LogBeforeMarker() {
        const CliRun marker = RunCli({"search", "--wait", "0", "--local-port", "9004"});
        EXPECT_EQ(marker.exitCode, 0) << marker;
        std::vector<LabSim::Entry> log;
        const auto markerAt = [&log] {
            for (std::size_t i = 0; i < log.size(); ++i) {
                if (log[i].value("from", "") == "10.77.0.1:9004") {
                    return i;
                }
            }
            return log.size();
        };
        const bool seen = WaitUntil([&] {
            log = sim.Log();
            return markerAt() < log.size();
        });
        EXPECT_TRUE(seen) << "the marker search never reached the simulator";
        log.resize(markerAt());
        return log;
    }

    static std::size_t Count(const std::vector<LabSim::Entry>& log, std::string_view kind) {
        std::size_t n = 0;
        for (const auto& e : log) {
            n += e.value("kind", "") == kind ? 1 : 0;
        }
        return n;
    }

    static std::string Password(const sim::SimDevice& d) { return d.password + "\n"; }

    std::vector<sim::SimDevice> devices = CliDevices();
    LabSim sim;
};

} // namespace ondrel::lab
