#include "OptionValues.h"

#include "config/FormRules.h"
#include "discovery/DeviceInfo.h"

#include <algorithm>

namespace ondrel::cli {

namespace {

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

} // namespace

std::string OptionValues::Apply(std::string_view command) {
    m_command = command;
    ApplyCommon();
    if (command == "search") {
        ApplySearch();
    } else if (command == "set") {
        ApplySet();
    } else if (command == "url") {
        RequireMac();
    }
    return m_error;
}

void OptionValues::Fail(std::string message) {
    if (m_error.empty()) {
        m_error = std::move(message);
    }
}

const std::string_view* OptionValues::Value(std::string_view name) const {
    const auto it = m_seen.find(name);
    return it == m_seen.end() ? nullptr : &it->second;
}

bool OptionValues::Has(std::string_view name) const {
    return m_seen.count(name) != 0;
}

std::optional<int64_t> OptionValues::Seconds(std::string_view name) {
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

std::optional<Ipv4> OptionValues::Address(std::string_view name) {
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

std::optional<uint16_t> OptionValues::Port(std::string_view name, uint16_t minimum) {
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

void OptionValues::ApplyCommon() {
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

void OptionValues::ApplySearch() {
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

void OptionValues::RequireMac() {
    const std::string_view* v = Value("--mac");
    if (!v) {
        Fail(std::string(m_command) + " needs --mac MAC");
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

void OptionValues::ApplySet() {
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
    if (const std::string_view* v = Value("--port")) {
        const HttpPortReading port = ReadHttpPort(*v);
        if (port.check == HttpPortCheck::Refused) {
            Fail("--port: Can't use this http port.");
        } else if (port.check != HttpPortCheck::Usable) {
            Fail("--port: " + Quoted(*v) + " is not a port number (1-65535)");
        } else {
            m_o.port = port.port;
        }
    }
    if (!m_error.empty()) {
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

} // namespace ondrel::cli
