#include "ArgParser.h"

#include "config/FormRules.h"
#include "discovery/DeviceInfo.h"

#include <algorithm>
#include <array>
#include <map>

namespace ondrel::cli {

namespace {

enum CommandMask : unsigned {
    kForSearch = 1,
    kForSet = 2,
    kForUrl = 4,
    kForAny = kForSearch | kForSet | kForUrl,
};

struct OptionRule {
    std::string_view name;
    bool takesValue;
    unsigned commands;
};

constexpr std::array kOptions = {
    OptionRule{"--help", false, kForAny},         OptionRule{"--version", false, kForAny},
    OptionRule{"--wait", true, kForAny},          OptionRule{"--format", true, kForSearch},
    OptionRule{"--mac", true, kForSet | kForUrl}, OptionRule{"--dhcp", false, kForSet},
    OptionRule{"--static", false, kForSet},       OptionRule{"--ip", true, kForSet},
    OptionRule{"--mask", true, kForSet},          OptionRule{"--gateway", true, kForSet},
    OptionRule{"--dns", true, kForSet},           OptionRule{"--port", true, kForSet},
    OptionRule{"--user", true, kForSet},          OptionRule{"--password-stdin", false, kForSet},
    OptionRule{"--password-env", true, kForSet},  OptionRule{"--yes", false, kForSet},
    OptionRule{"--verify", false, kForSet},       OptionRule{"--restart-wait", true, kForSet},
    OptionRule{"--answer-wait", true, kForSet},   OptionRule{"--bind", true, kForAny},
    OptionRule{"--local-port", true, kForAny},    OptionRule{"--dest", true, kForAny},
    OptionRule{"--dest-port", true, kForAny},
};

constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kShortOptions = {{
    {"-h", "--help"},
    {"-y", "--yes"},
}};

// Spellings under which someone may try to hand over the password directly.
constexpr std::array<std::string_view, 6> kPasswordArguments = {
    "--password", "--pass", "--passwd", "--pwd", "--pw", "-p",
};

constexpr std::string_view kPasswordRefusal =
    "the password is not taken as an argument (it would show in the process list and the "
    "shell history): use --password-stdin or --password-env VAR";

const OptionRule* FindOption(std::string_view name) {
    const auto it = std::find_if(kOptions.begin(), kOptions.end(),
                                 [&](const OptionRule& o) { return o.name == name; });
    return it == kOptions.end() ? nullptr : &*it;
}

std::string_view CommandName(Command c) {
    switch (c) {
    case Command::Search:
        return "search";
    case Command::Set:
        return "set";
    case Command::Url:
        return "url";
    default:
        return "";
    }
}

unsigned CommandBit(Command c) {
    switch (c) {
    case Command::Search:
        return kForSearch;
    case Command::Set:
        return kForSet;
    case Command::Url:
        return kForUrl;
    default:
        return 0;
    }
}

std::string Quoted(std::string_view value) {
    return "'" + std::string(value) + "'";
}

bool IsEnvName(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

class Reader {
public:
    explicit Reader(ParseOutcome& out) : m_out(out), m_o(out.options) {}

    void Read(const std::vector<std::string_view>& args) {
        bool onlyPositional = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            std::string_view arg = args[i];
            if (!onlyPositional && arg == "--") {
                onlyPositional = true;
                continue;
            }
            if (onlyPositional || arg.size() < 2 || arg[0] != '-') {
                Positional(arg);
                continue;
            }
            const std::size_t eq = arg.find('=');
            std::string_view name = arg.substr(0, eq);
            for (const auto& [shortName, longName] : kShortOptions) {
                if (name == shortName) {
                    name = longName;
                }
            }
            if (std::find(kPasswordArguments.begin(), kPasswordArguments.end(), name) !=
                kPasswordArguments.end()) {
                Fail(std::string(kPasswordRefusal));
                continue;
            }
            const OptionRule* rule = FindOption(name);
            if (!rule) {
                Fail("unknown option " + std::string(name));
                continue;
            }
            std::string_view value;
            if (rule->takesValue) {
                if (eq != std::string_view::npos) {
                    value = arg.substr(eq + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                } else {
                    Fail(std::string(name) + " needs a value");
                    continue;
                }
            } else if (eq != std::string_view::npos) {
                Fail(std::string(name) + " takes no value");
                continue;
            }
            if (!m_seen.emplace(rule->name, value).second) {
                Fail(std::string(name) + " is given more than once");
            }
        }
    }

    void Finish() {
        if (m_seen.count("--help")) {
            m_o.command = Command::Help;
            m_out.error.clear();
            return;
        }
        if (m_seen.count("--version")) {
            m_o.command = Command::Version;
            m_out.error.clear();
            return;
        }
        if (!m_out.error.empty()) {
            return;
        }
        if (m_o.command == Command::None) {
            Fail("no command given: search, set or url (see --help)");
            return;
        }
        for (const auto& [name, value] : m_seen) {
            if (!(FindOption(name)->commands & CommandBit(m_o.command))) {
                Fail(std::string(name) + " is not an option of " +
                     std::string(CommandName(m_o.command)));
                return;
            }
        }
        ApplyCommon();
        if (m_o.command == Command::Search) {
            ApplySearch();
        } else if (m_o.command == Command::Set) {
            ApplySet();
        } else if (m_o.command == Command::Url) {
            RequireMac();
        }
    }

private:
    void Fail(std::string message) {
        if (m_out.error.empty()) {
            m_out.error = std::move(message);
        }
    }

    void Positional(std::string_view arg) {
        ++m_positionals;
        if (m_positionals > 1) {
            // Not repeated: a stray word after the command may be a password typed in place.
            Fail("unexpected argument #" + std::to_string(m_positionals) +
                 " (every value belongs to an option)");
            return;
        }
        if (arg == "search") {
            m_o.command = Command::Search;
        } else if (arg == "set") {
            m_o.command = Command::Set;
        } else if (arg == "url") {
            m_o.command = Command::Url;
        } else if (arg == "help") {
            m_seen.emplace("--help", "");
        } else {
            Fail("unknown command " + Quoted(arg) + " (search, set or url)");
        }
    }

    const std::string_view* Value(std::string_view name) const {
        const auto it = m_seen.find(name);
        return it == m_seen.end() ? nullptr : &it->second;
    }

    bool Has(std::string_view name) const { return m_seen.count(name) != 0; }

    std::optional<int64_t> Seconds(std::string_view name) {
        const std::string_view* v = Value(name);
        if (!v) {
            return std::nullopt;
        }
        auto ms = ParseSeconds(*v);
        if (!ms) {
            Fail(std::string(name) + ": " + Quoted(*v) +
                 " is not a number of seconds (for example 3 or 0.5, at most a day)");
        }
        return ms;
    }

    std::optional<Ipv4> Address(std::string_view name) {
        const std::string_view* v = Value(name);
        if (!v) {
            return std::nullopt;
        }
        auto a = ParseIPv4(*v);
        if (!a) {
            Fail(std::string(name) + ": " + Quoted(*v) +
                 " is not an IPv4 address (four numbers 0-255 separated by dots)");
        }
        return a;
    }

    std::optional<uint16_t> Port(std::string_view name, uint16_t minimum) {
        const std::string_view* v = Value(name);
        if (!v) {
            return std::nullopt;
        }
        auto p = ParsePort(*v, minimum);
        if (!p) {
            Fail(std::string(name) + ": " + Quoted(*v) + " is not a port number (" +
                 std::to_string(minimum) + "-65535)");
        }
        return p;
    }

    void ApplyCommon() {
        if (auto ms = Seconds("--wait")) {
            m_o.waitMs = *ms;
        }
        if (auto a = Address("--bind")) {
            m_o.endpoint.bindAddress = FormatIPv4(*a);
        }
        if (auto p = Port("--local-port", 0)) {
            m_o.endpoint.bindPort = *p;
        }
        if (auto a = Address("--dest")) {
            m_o.endpoint.destAddress = FormatIPv4(*a);
        }
        if (auto p = Port("--dest-port", 1)) {
            m_o.endpoint.destPort = *p;
        }
    }

    void ApplySearch() {
        if (const std::string_view* v = Value("--format")) {
            if (*v == "table") {
                m_o.format = OutputFormat::Table;
            } else if (*v == "json") {
                m_o.format = OutputFormat::Json;
            } else if (*v == "csv") {
                m_o.format = OutputFormat::Csv;
            } else {
                Fail("--format: " + Quoted(*v) + " is not one of table, json, csv");
            }
        }
    }

    void RequireMac() {
        const std::string_view* v = Value("--mac");
        if (!v) {
            Fail(std::string(CommandName(m_o.command)) + " needs --mac MAC");
            return;
        }
        m_o.mac = std::string(*v);
        if (auto mac = ParseMac(*v)) {
            m_o.macBytes = *mac;
        } else {
            Fail("--mac: " + Quoted(*v) +
                 " is not a MAC address (six hex pairs separated by ':' or '-')");
        }
    }

    void ApplySet() {
        RequireMac();
        if (Has("--dhcp") && Has("--static")) {
            Fail("--dhcp and --static exclude each other");
        }
        m_o.mode = Has("--dhcp")     ? AddressMode::Dhcp
                   : Has("--static") ? AddressMode::Static
                                     : AddressMode::Keep;
        m_o.ip = Address("--ip");
        m_o.mask = Address("--mask");
        m_o.gateway = Address("--gateway");
        m_o.dns = Address("--dns");
        m_o.port = Port("--port", 1);
        if (!m_out.error.empty()) {
            return;
        }
        if (m_o.ip && !IsUsableHostAddress(*m_o.ip)) {
            Fail("--ip: " + FormatIPv4(*m_o.ip) +
                 " cannot be a device's address (0.x.x.x, 127.x.x.x, multicast and reserved "
                 "addresses are refused)");
        }
        if (m_o.mask && !IsContiguousMask(*m_o.mask)) {
            Fail("--mask: " + FormatIPv4(*m_o.mask) +
                 " is not a subnet mask (its one bits must be contiguous from the left, e.g. "
                 "255.255.255.0)");
        }
        if (m_o.port && IsRefusedPort(std::to_string(*m_o.port))) {
            Fail("--port: Can't use this http port.");
        }
        if (const std::string_view* v = Value("--user")) {
            const std::string problem = AccountTextProblem(*v, sizeof(DeviceInfo::User) - 1);
            if (!problem.empty()) {
                Fail("--user " + problem);
            }
            m_o.user = std::string(*v);
        }
        if (Has("--password-stdin") && Has("--password-env")) {
            Fail("--password-stdin and --password-env exclude each other");
        } else if (Has("--password-stdin")) {
            m_o.passwordSource = PasswordSource::Stdin;
        } else if (const std::string_view* v = Value("--password-env")) {
            if (!IsEnvName(*v)) {
                Fail("--password-env: " + Quoted(*v) + " is not an environment variable name");
            }
            m_o.passwordSource = PasswordSource::Env;
            m_o.passwordEnv = std::string(*v);
        }
        m_o.yes = Has("--yes");
        m_o.verify = Has("--verify");
        if (Has("--restart-wait") && !m_o.verify) {
            Fail("--restart-wait is only used with --verify");
        }
        if (auto ms = Seconds("--restart-wait")) {
            m_o.restartWaitMs = *ms;
        }
        if (auto ms = Seconds("--answer-wait")) {
            m_o.answerWaitMs = *ms;
        }
    }

    ParseOutcome& m_out;
    CliOptions& m_o;
    std::map<std::string_view, std::string_view> m_seen;
    int m_positionals = 0;
};

} // namespace

ParseOutcome ArgParser::Parse(const std::vector<std::string_view>& args) {
    ParseOutcome out;
    Reader reader(out);
    reader.Read(args);
    reader.Finish();
    return out;
}

} // namespace ondrel::cli
