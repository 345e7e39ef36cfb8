#include "PasswordReader.h"
#include "Terminal.h"
#include "core/Undumpable.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

namespace ondrel::cli {
namespace {

// A pipe whose read end stands in for standard input.
class FakeStdin {
public:
    explicit FakeStdin(const std::string& content) {
        EXPECT_EQ(pipe(m_fds), 0);
        EXPECT_EQ(write(m_fds[1], content.data(), content.size()),
                  static_cast<ssize_t>(content.size()));
        close(m_fds[1]);
    }
    ~FakeStdin() { close(m_fds[0]); }
    int fd() const { return m_fds[0]; }

private:
    int m_fds[2];
};

CliOptions FromStdin() {
    CliOptions o;
    o.passwordSource = PasswordSource::Stdin;
    return o;
}

char* NoEnv(const char*) {
    return nullptr;
}

TEST(ReadLine, StopsAtTheLineEndAndLeavesTheRest) {
    FakeStdin in("first\r\nsecond\nthird");
    EXPECT_EQ(Terminal::readLine(in.fd(), 24).line, "first");
    EXPECT_EQ(Terminal::readLine(in.fd(), 24).line, "second");
    EXPECT_EQ(Terminal::readLine(in.fd(), 24).line, "third");
    const LineReading end = Terminal::readLine(in.fd(), 24);
    EXPECT_EQ(end.line, std::nullopt);
    EXPECT_FALSE(end.tooLong);
}

TEST(PasswordStdin, Cases) {
    const struct {
        const char* name;
        std::string input;
        bool ok;
        const char* password;
    } cases[] = {
        {"Plain", "s3cret\n", true, "s3cret"},
        {"CrLf", "s3cret\r\n", true, "s3cret"},
        {"NoLineEnd", "s3cret", true, "s3cret"},
        {"EmptyLine", "\n", true, ""},
        {"Blanks kept", " a b \n", true, " a b "},
        {"Longest", std::string(24, 'p') + "\n", true, nullptr},
        {"TooLong", std::string(25, 'p') + "\n", false, nullptr},
        {"NothingAtAll", "", false, nullptr},
        {"ControlCharacter", "pa\x01ss\n", false, nullptr},
    };
    for (const auto& c : cases) {
        FakeStdin in(c.input);
        const PasswordOutcome out = PasswordReader::read(FromStdin(), in.fd(), NoEnv);
        EXPECT_EQ(out.ok(), c.ok) << c.name << ": " << out.error;
        if (c.ok && c.password) {
            EXPECT_EQ(out.password, c.password) << c.name;
        }
        if (!c.ok) {
            EXPECT_NE(out.error.find("--password-stdin"), std::string::npos) << c.name;
            EXPECT_EQ(out.error.find("ppppp"), std::string::npos) << "password in message";
            EXPECT_EQ(out.error.find("pa\x01ss"), std::string::npos) << "password in message";
        }
    }
}

TEST(PasswordEnv, SetUnsetAndBad) {
    std::map<std::string, std::string> env = {
        {"CAM_PW", "fromenv"}, {"EMPTY", ""}, {"BAD", "x\r\nIP:1.2.3.4"}};
    const auto lookup = [&env](const char* name) -> char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.data();
    };
    CliOptions o;
    o.passwordSource = PasswordSource::Env;

    o.passwordEnv = "CAM_PW";
    const PasswordOutcome fromEnv = PasswordReader::read(o, -1, lookup);
    EXPECT_EQ(fromEnv.password, "fromenv");
    EXPECT_EQ(env["CAM_PW"], std::string(7, '\0')) << "the environment's copy is overwritten";
    o.passwordEnv = "EMPTY";
    EXPECT_TRUE(PasswordReader::read(o, -1, lookup).ok());
    o.passwordEnv = "MISSING";
    const PasswordOutcome missing = PasswordReader::read(o, -1, lookup);
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("MISSING"), std::string::npos);
    o.passwordEnv = "BAD";
    const PasswordOutcome bad = PasswordReader::read(o, -1, lookup);
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.error.find("IP:1.2.3.4"), std::string::npos);
    EXPECT_EQ(env["BAD"].find_first_not_of('\0'), std::string::npos) << "refused, yet wiped";
}

// In a child, so that the test program itself stays debuggable.
TEST(Undumpable, NoCoreFileAndNoAttachAfterStart) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit core{};
        const bool made = makeUndumpable();
        const bool ok = made && prctl(PR_GET_DUMPABLE) == 0 && getrlimit(RLIMIT_CORE, &core) == 0 &&
                        core.rlim_cur == 0 && core.rlim_max == 0;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(PasswordPrompt, WithoutATerminalAsksForAnOption) {
    FakeStdin in("would-be-password\n");
    const PasswordOutcome out = PasswordReader::read(CliOptions{}, in.fd(), NoEnv);
    EXPECT_FALSE(out.ok());
    EXPECT_NE(out.error.find("--password-stdin"), std::string::npos);
    // Nothing was taken from the pipe that was not meant as a password.
    EXPECT_EQ(Terminal::readLine(in.fd(), 64).line, "would-be-password");
}

} // namespace
} // namespace ondrel::cli
