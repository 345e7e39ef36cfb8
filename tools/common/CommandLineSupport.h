#pragma once
// What ondrel-cli and ondrel-sim share on top of CLI11.
//
// The --help layout: usage first, texts wrapped to a terminal's
// width, and the rules between options (required, only with, not with) said in words in the
// option's description rather than as CLI11's tags. The manual pages are written from it.

#include <CLI/CLI.hpp>

#include <sstream>
#include <string>
#include <string_view>

namespace ondrel::tools {

class HelpFormatter : public CLI::Formatter {
public:
    static constexpr std::size_t kWidth = 92;
    static constexpr std::size_t kColumn = 26;

    HelpFormatter() {
        column_width(kColumn);
        label("Subcommands", "Commands");
    }

    // text broken at blanks into lines of at most width characters (a longer word stands
    // alone); its own line ends stay.
    static std::string wrap(std::string_view text, std::size_t width) {
        std::string out;
        std::size_t lineLength = 0;
        std::size_t pos = 0;
        while (pos <= text.size()) {
            const std::size_t end = std::min(text.find_first_of(" \n", pos), text.size());
            const std::string_view word = text.substr(pos, end - pos);
            if (!word.empty()) {
                if (lineLength > 0 && lineLength + 1 + word.size() > width) {
                    out += '\n';
                    lineLength = 0;
                } else if (lineLength > 0) {
                    out += ' ';
                    ++lineLength;
                }
                out += word;
                lineLength += word.size();
            }
            if (end < text.size() && text[end] == '\n') {
                out += '\n';
                lineLength = 0;
            }
            pos = end + 1;
        }
        return out;
    }

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub) {
            return make_expanded(app);
        }
        std::stringstream out;
        out << make_usage(app, name) << '\n' << make_description(app);
        out << make_positionals(app) << make_groups(app, mode) << make_subcommands(app, mode);
        out << '\n' << make_footer(app);
        return out.str();
    }

    std::string make_usage(const CLI::App* app, std::string name) const override {
        const bool hasCommands = !app->get_subcommands({}).empty();
        return "Usage: " + name + (hasCommands ? " COMMAND" : "") + " [OPTIONS]\n";
    }

    std::string make_description(const CLI::App* app) const override {
        const std::string& text = app->get_description();
        // Expanded commands are indented by two.
        return text.empty() ? std::string() : wrap(text, kWidth - 2) + "\n";
    }

    std::string make_option_opts(const CLI::Option* opt) const override {
        return opt->get_type_size() == 0 ? std::string() : " " + opt->get_type_name();
    }

    std::string make_option_desc(const CLI::Option* opt) const override {
        std::string text = opt->get_description();
        if (opt->get_required()) {
            text += " (required)";
        }
        for (const CLI::Option* other : opt->get_needs()) {
            text += " (only with " + other->get_name() + ")";
        }
        std::string excluded;
        for (const CLI::Option* other : opt->get_excludes()) {
            excluded += (excluded.empty() ? "" : ", ") + other->get_name();
        }
        if (!excluded.empty()) {
            text += " (not with " + excluded + ")";
        }
        return wrap(text, kWidth - kColumn - 2);
    }
};

// CLI11's wording where ours was plainer; the option's name stays first.
inline std::string reworded(const std::string& message) {
    const auto endsWith = [&message](std::string_view tail) {
        return message.size() >= tail.size() &&
               message.compare(message.size() - tail.size(), tail.size(), tail) == 0;
    };
    const std::string name = message.substr(0, message.find(':'));
    constexpr std::string_view kOverride = " was given a disallowed flag override";
    if (endsWith(kOverride)) {
        return "--" + message.substr(0, message.size() - kOverride.size()) + " takes no value";
    }
    if (message.find(": At Most ") != std::string::npos) {
        return name + " is given more than once";
    }
    if (endsWith(" missing") && message.find(" required ") != std::string::npos) {
        return name + " needs a value";
    }
    return message;
}

} // namespace ondrel::tools
