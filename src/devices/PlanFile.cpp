#include "PlanFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>

namespace ondrel {

namespace {

enum class Column { Mac, Ip, NetMask, GateWay, Dns0, HttpPort, Endpoint, Other };

constexpr std::array<std::string_view, 7> kColumnNames = {"Mac",  "IP",       "NetMask", "GateWay",
                                                          "DNS0", "HttpPort", "Endpoint"};

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

Column columnOf(std::string_view name) {
    for (std::size_t i = 0; i < kColumnNames.size(); ++i) {
        if (sameName(name, kColumnNames[i])) {
            return static_cast<Column>(i);
        }
    }
    return Column::Other;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One line split into fields; nullopt for bad quoting.
std::optional<std::vector<std::string>> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        std::string field;
        if (at < line.size() && line[at] == '"') {
            ++at;
            for (;;) {
                if (at >= line.size()) {
                    return std::nullopt;
                }
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += line[at++];
            }
            while (at < line.size() && isBlank(line[at])) {
                ++at;
            }
            if (at < line.size() && line[at] != ',') {
                return std::nullopt;
            }
        } else {
            const std::size_t end = std::min(line.find(',', at), line.size());
            const std::string_view raw = line.substr(at, end - at);
            if (raw.find('"') != std::string_view::npos) {
                return std::nullopt;
            }
            field = std::string(trimmed(raw));
            at = end;
        }
        fields.push_back(std::move(field));
        if (at >= line.size()) {
            return fields;
        }
        ++at; // the comma
    }
}

bool skipped(std::string_view line) {
    const std::string_view t = trimmed(line);
    return t.empty() || t.front() == '#';
}

class Reader {
public:
    PlanFileReading read(std::string_view text) {
        if (text.size() > PlanFile::kMaxBytes) {
            return fail(PlanFileError::TooLarge, 0);
        }
        // A spreadsheet's UTF-8 mark ahead of the header.
        if (text.starts_with("\xEF\xBB\xBF")) {
            text.remove_prefix(3);
        }
        std::size_t lineNumber = 0;
        while (!text.empty()) {
            ++lineNumber;
            const std::size_t end = std::min(text.find('\n'), text.size());
            std::string_view line = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            if (line.size() > PlanFile::kMaxLineLength) {
                return fail(PlanFileError::LineTooLong, lineNumber);
            }
            if (std::any_of(line.begin(), line.end(), [](char c) {
                    const auto u = static_cast<unsigned char>(c);
                    return (u < 0x20 && c != '\t') || u == 0x7F;
                })) {
                return fail(PlanFileError::ControlCharacter, lineNumber);
            }
            if (skipped(line)) {
                continue;
            }
            auto fields = splitFields(line);
            if (!fields) {
                return fail(PlanFileError::BadQuoting, lineNumber);
            }
            const bool good =
                m_columns.empty() ? header(*fields, lineNumber) : row(*fields, lineNumber);
            if (!good) {
                return std::move(m_out);
            }
        }
        if (m_columns.empty()) {
            return fail(PlanFileError::NoHeader, 0);
        }
        return std::move(m_out);
    }

private:
    bool header(const std::vector<std::string>& names, std::size_t line) {
        std::array<bool, kColumnNames.size()> seen{};
        for (const std::string& name : names) {
            const Column c = columnOf(name);
            if (c != Column::Other) {
                const auto i = static_cast<std::size_t>(c);
                if (seen[i]) {
                    fail(PlanFileError::DuplicateColumn, line, std::string(kColumnNames[i]));
                    return false;
                }
                seen[i] = true;
            }
            m_columns.push_back(c);
        }
        const auto has = [&seen](Column c) { return seen[static_cast<std::size_t>(c)]; };
        if (!has(Column::Mac) && !has(Column::Endpoint)) {
            fail(PlanFileError::MissingColumn, line, "Mac");
            return false;
        }
        if (!has(Column::Ip)) {
            fail(PlanFileError::MissingColumn, line, "IP");
            return false;
        }
        return true;
    }

    bool row(std::vector<std::string>& fields, std::size_t line) {
        if (fields.size() != m_columns.size()) {
            fail(PlanFileError::FieldCount, line);
            m_out.fields = fields.size();
            m_out.columns = m_columns.size();
            return false;
        }
        if (m_out.rows.size() >= PlanFile::kMaxRows) {
            fail(PlanFileError::TooManyRows, line);
            return false;
        }
        PlanRow r;
        r.line = line;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string* target = nullptr;
            switch (m_columns[i]) {
            case Column::Mac:
                target = &r.mac;
                break;
            case Column::Ip:
                target = &r.ip;
                break;
            case Column::NetMask:
                target = &r.netMask;
                break;
            case Column::GateWay:
                target = &r.gateway;
                break;
            case Column::Dns0:
                target = &r.dns0;
                break;
            case Column::HttpPort:
                target = &r.httpPort;
                break;
            case Column::Endpoint:
                target = &r.endpoint;
                break;
            case Column::Other:
                break;
            }
            if (target != nullptr) {
                *target = std::move(fields[i]);
            }
        }
        // A camera without a MAC is named by its endpoint reference instead.
        if (r.mac.empty() && r.endpoint.empty()) {
            fail(PlanFileError::MissingValue, line, "Mac");
            return false;
        }
        if (r.ip.empty()) {
            fail(PlanFileError::MissingValue, line, "IP");
            return false;
        }
        m_out.rows.push_back(std::move(r));
        return true;
    }

    PlanFileReading fail(PlanFileError error, std::size_t line, std::string detail = {}) {
        m_out.error = error;
        m_out.line = line;
        m_out.detail = std::move(detail);
        m_out.rows.clear();
        return m_out;
    }

    std::vector<Column> m_columns;
    PlanFileReading m_out;
};

} // namespace

PlanFileReading PlanFile::parse(std::string_view text) {
    return Reader().read(text);
}

PlanFileReading PlanFile::load(const std::string& path) {
    PlanFileReading reading;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reading.error = PlanFileError::Unreadable;
        reading.detail = path;
        return reading;
    }
    // One byte beyond the bound tells a file at the bound from a larger one.
    std::string text(kMaxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        reading.error = PlanFileError::Unreadable;
        reading.detail = path;
        return reading;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return parse(text);
}

std::string describe(const PlanFileReading& reading) {
    std::string where = reading.line == 0 ? "" : "line " + std::to_string(reading.line) + ": ";
    switch (reading.error) {
    case PlanFileError::None:
        return "the plan is readable";
    case PlanFileError::Unreadable:
        return reading.detail + ": cannot be read";
    case PlanFileError::TooLarge:
        return "the plan is larger than " + std::to_string(PlanFile::kMaxBytes) + " bytes";
    case PlanFileError::NoHeader:
        return "the plan has no header row (Mac,IP,...)";
    case PlanFileError::LineTooLong:
        return where + "longer than " + std::to_string(PlanFile::kMaxLineLength) + " characters";
    case PlanFileError::TooManyRows:
        return where + "more than " + std::to_string(PlanFile::kMaxRows) + " rows";
    case PlanFileError::ControlCharacter:
        return where + "a control character (is this a text file?)";
    case PlanFileError::BadQuoting:
        return where + "a quote is not closed, or text follows a closing quote";
    case PlanFileError::DuplicateColumn:
        return where + "the column " + reading.detail + " is named twice";
    case PlanFileError::MissingColumn:
        return where + "the header has no " + reading.detail + " column";
    case PlanFileError::FieldCount:
        return where + "the row has " + std::to_string(reading.fields) + " fields, the header " +
               std::to_string(reading.columns);
    case PlanFileError::MissingValue:
        return where + "the " + reading.detail + " field is empty";
    }
    return where + "damaged";
}

} // namespace ondrel
