#include "ArgParser.h"

#include "OptionValues.h"

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
        Fail(OptionValues(m_seen, m_o).Apply(CommandName(m_o.command)));
    }

private:
    void Fail(std::string message) {
        if (m_out.error.empty() && !message.empty()) {
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

    ParseOutcome& m_out;
    CliOptions& m_o;
    OptionValues::Seen m_seen;
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
