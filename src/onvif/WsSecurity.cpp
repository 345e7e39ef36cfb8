#include "WsSecurity.h"

#include "core/Secret.h"
#include "xml/XmlReader.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdio>
#include <ctime>

namespace ondrel::onvif {

namespace {

constexpr std::size_t kNonceBytes = 16;
constexpr std::string_view kPasswordDigestType =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#"
    "PasswordDigest";
constexpr std::string_view kBase64Type =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-soap-message-security-1.0#"
    "Base64Binary";
constexpr std::string_view kWsseNamespace =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
constexpr std::string_view kWsuNamespace =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";

bool isDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !text.empty();
}

int number(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::string passwordDigest(const std::vector<std::uint8_t>& nonce, std::string_view created,
                           std::string_view password) {
    Secret material;
    material.append(nonce.data(), nonce.size());
    material.append(created);
    material.append(password);
    unsigned char sha[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(material.bytes(), material.size(), sha, &length, EVP_sha1(), nullptr) != 1) {
        return {};
    }
    return base64Encode(std::vector<std::uint8_t>(sha, sha + length));
}

std::string createdText(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::optional<std::chrono::system_clock::time_point> parseCreated(std::string_view text) {
    // "YYYY-MM-DDThh:mm:ss" then optional ".fff", then "Z".
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text.back() != 'Z') {
        return std::nullopt;
    }
    const std::string_view fields[] = {text.substr(0, 4),  text.substr(5, 2),  text.substr(8, 2),
                                       text.substr(11, 2), text.substr(14, 2), text.substr(17, 2)};
    for (const std::string_view field : fields) {
        if (!isDigits(field)) {
            return std::nullopt;
        }
    }
    const std::string_view rest = text.substr(19, text.size() - 20);
    if (!rest.empty() && (rest[0] != '.' || !isDigits(rest.substr(1)))) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{year(number(fields[0])), month(unsigned(number(fields[1]))),
                              day(unsigned(number(fields[2])))};
    const int hours = number(fields[3]);
    const int minutes = number(fields[4]);
    const int secs = number(fields[5]);
    if (!date.ok() || hours > 23 || minutes > 59 || secs > 60) {
        return std::nullopt;
    }
    return sys_days(date) + std::chrono::hours(hours) + std::chrono::minutes(minutes) +
           std::chrono::seconds(secs);
}

std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                       static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out(text.size() / 4 * 3 + 1);
    const int length =
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (length < 0) {
        return std::nullopt;
    }
    // EVP_DecodeBlock counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(length);
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i) {
        --size;
    }
    out.resize(size);
    return out;
}

std::optional<std::vector<std::uint8_t>> randomNonce() {
    std::vector<std::uint8_t> nonce(kNonceBytes);
    if (RAND_bytes(nonce.data(), static_cast<int>(nonce.size())) != 1) {
        return std::nullopt;
    }
    return nonce;
}

std::optional<UsernameToken> makeToken(std::string_view username, std::string_view password,
                                       std::chrono::system_clock::time_point cameraNow) {
    const std::optional<std::vector<std::uint8_t>> nonce = randomNonce();
    if (!nonce) {
        return std::nullopt;
    }
    UsernameToken token;
    token.username = username;
    token.created = createdText(cameraNow);
    token.digest = passwordDigest(*nonce, token.created, password);
    token.nonce = base64Encode(*nonce);
    return token;
}

std::string securityHeader(const UsernameToken& token) {
    std::string out;
    out += "<wsse:Security s:mustUnderstand=\"1\" xmlns:wsse=\"";
    out += kWsseNamespace;
    out += "\" xmlns:wsu=\"";
    out += kWsuNamespace;
    out += "\"><wsse:UsernameToken><wsse:Username>";
    out += xml::escaped(token.username);
    out += "</wsse:Username><wsse:Password Type=\"";
    out += kPasswordDigestType;
    out += "\">";
    out += xml::escaped(token.digest);
    out += "</wsse:Password><wsse:Nonce EncodingType=\"";
    out += kBase64Type;
    out += "\">";
    out += xml::escaped(token.nonce);
    out += "</wsse:Nonce><wsu:Created>";
    out += xml::escaped(token.created);
    out += "</wsu:Created></wsse:UsernameToken></wsse:Security>";
    return out;
}

TokenCheck checkToken(const UsernameToken& token, std::string_view username,
                      std::string_view password, std::chrono::system_clock::time_point now,
                      std::chrono::seconds allowedSkew) {
    if (token.username != username) {
        return TokenCheck::UnknownUser;
    }
    const std::optional<std::vector<std::uint8_t>> nonce = base64Decode(token.nonce);
    if (!nonce || nonce->empty()) {
        return TokenCheck::BadNonce;
    }
    const std::optional<std::chrono::system_clock::time_point> created =
        parseCreated(token.created);
    if (!created) {
        return TokenCheck::BadCreated;
    }
    const std::string expected = passwordDigest(*nonce, token.created, password);
    if (expected.empty() || expected.size() != token.digest.size() ||
        CRYPTO_memcmp(expected.data(), token.digest.data(), expected.size()) != 0) {
        return TokenCheck::BadDigest;
    }
    const auto skew = *created > now ? *created - now : now - *created;
    if (skew > allowedSkew) {
        return TokenCheck::ClockSkewed;
    }
    return TokenCheck::Valid;
}

} // namespace ondrel::onvif
