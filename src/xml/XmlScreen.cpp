#include "XmlScreen.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ondrel::xml {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr uint32_t kPastUnicode = 0x110000;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool startsWithCaseless(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if ((a | 0x20) != (b | 0x20)) {
            return false;
        }
    }
    return true;
}

// A C0 control but tab, line feed and carriage return (NUL among them: pugixml would end a
// text there), or, written in UTF-8, a surrogate, U+FFFE or U+FFFF. The first loop is written
// so that it compiles to vector instructions; most datagrams hold no byte that starts one of
// the latter (0xED, 0xEF), so the second rarely runs.
bool hasForbiddenBytes(std::string_view bytes) {
    uint8_t control = 0;
    uint8_t lead = 0;
    for (const char c : bytes) {
        const auto u = static_cast<uint8_t>(c);
        const auto below = static_cast<uint8_t>(-static_cast<int>(u < 0x20));
        const auto allowed =
            static_cast<uint8_t>(-static_cast<int>((u == '\t') | (u == '\n') | (u == '\r')));
        control |= static_cast<uint8_t>(below & ~allowed);
        lead |= static_cast<uint8_t>(-static_cast<int>((u | 2) == 0xEF));
    }
    if (control != 0 || lead == 0) {
        return control != 0;
    }
    for (std::size_t at = 0; at + 2 < bytes.size(); ++at) {
        const auto u = static_cast<unsigned char>(bytes[at]);
        const auto next = static_cast<unsigned char>(bytes[at + 1]);
        const auto last = static_cast<unsigned char>(bytes[at + 2]);
        if ((u == 0xED && next >= 0xA0) || (u == 0xEF && next == 0xBF && last >= 0xBE)) {
            return true;
        }
    }
    return false;
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    return hex && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// "&#N;" and "&#xN;" naming a character XML forbids, or none (past U+10FFFF, where pugixml's
// arithmetic would wrap around). What is not a whole reference pugixml keeps as text.
bool hasForbiddenReference(std::string_view bytes) {
    for (std::size_t at = bytes.find("&#"); at != std::string_view::npos;
         at = bytes.find("&#", at + 2)) {
        std::size_t i = at + 2;
        const bool hex = i < bytes.size() && bytes[i] == 'x';
        i += hex ? 1 : 0;
        const std::size_t first = i;
        uint32_t code = 0;
        for (int digit = 0; i < bytes.size() && (digit = digitValue(bytes[i], hex)) >= 0; ++i) {
            code = std::min<uint32_t>(code * (hex ? 16 : 10) + static_cast<uint32_t>(digit),
                                      kPastUnicode);
        }
        if (i > first && i < bytes.size() && bytes[i] == ';' && !isXmlCharacter(code)) {
            return true;
        }
    }
    return false;
}

enum class TagByte : uint8_t { Plain, Open, Close, Quote };

constexpr std::array<TagByte, 256> kTagBytes = [] {
    std::array<TagByte, 256> table{};
    table['<'] = TagByte::Open;
    table['>'] = TagByte::Close;
    table['"'] = TagByte::Quote;
    table['\''] = TagByte::Quote;
    return table;
}();

// The quoted values of the start tag whose name begins at `at`, one per attribute, up to the
// tag's end or the next '<' (a tag of its own, counted on its own), so no byte is counted twice.
std::size_t quotedValues(std::string_view bytes, std::size_t at) {
    std::size_t values = 0;
    while (at < bytes.size()) {
        TagByte kind = TagByte::Plain;
        while (at < bytes.size() &&
               (kind = kTagBytes[static_cast<unsigned char>(bytes[at])]) == TagByte::Plain) {
            ++at;
        }
        if (kind != TagByte::Quote) {
            break;
        }
        ++values;
        const std::size_t end = bytes.find(bytes[at], at + 1);
        const std::string_view value = bytes.substr(at + 1, end - std::min(end, at + 1));
        if (end == std::string_view::npos || value.find('<') != std::string_view::npos) {
            break;
        }
        at = end + 1;
    }
    return values;
}

struct Markup {
    std::size_t elements = 0;
    std::size_t attributes = 0;
};

// Every '<': a declaration of markup (a DOCTYPE, an ENTITY) and any processing instruction but
// the XML declaration are refused; every start tag, and its attributes, counted.
std::optional<Refusal> scanMarkup(std::string_view bytes, const Limits& limits, Markup& markup) {
    std::size_t start = bytes.starts_with(kBom) ? kBom.size() : 0;
    while (start < bytes.size() && isXmlSpace(bytes[start])) {
        ++start;
    }
    for (std::size_t at = bytes.find('<'); at != std::string_view::npos;
         at = bytes.find('<', at + 1)) {
        const std::string_view rest = bytes.substr(at + 1);
        if (rest.starts_with('!')) {
            if (!rest.starts_with("!--") && !rest.starts_with("![CDATA[")) {
                return Refusal::DocumentType;
            }
        } else if (rest.starts_with('?')) {
            const bool declaration = at == start && startsWithCaseless(rest, "?xml") &&
                                     rest.size() > 4 && isXmlSpace(rest[4]);
            if (!declaration) {
                return Refusal::ProcessingInstruction;
            }
        } else if (!rest.empty() && rest.front() != '/') {
            if (++markup.elements > limits.maxElements) {
                return Refusal::TooManyElements;
            }
            const std::size_t attributes = quotedValues(bytes, at + 1);
            markup.attributes += attributes;
            if (attributes > limits.maxAttributesPerElement ||
                markup.attributes > limits.maxAttributes) {
                return Refusal::TooManyAttributes;
            }
        }
    }
    return std::nullopt;
}

std::size_t skipSpace(std::string_view bytes, std::size_t at) {
    while (at < bytes.size() && isXmlSpace(bytes[at])) {
        ++at;
    }
    return at;
}

// Wherever the bytes read `xmlns="…"` or `xmlns:p="…"`, in a tag or not, the value as written
// is measured (it is never shorter than as read). A prefix ends at a colon, so that a chain of
// look-alikes is walked once.
bool hasLongNamespace(std::string_view bytes, std::size_t limit) {
    constexpr std::string_view kXmlns = "xmlns";
    for (std::size_t at = bytes.find(kXmlns); at != std::string_view::npos;
         at = bytes.find(kXmlns, at + kXmlns.size())) {
        std::size_t i = at + kXmlns.size();
        if (i < bytes.size() && bytes[i] == ':') {
            ++i;
            while (i < bytes.size() && !isXmlSpace(bytes[i]) &&
                   std::string_view("=:<>/\"'").find(bytes[i]) == std::string_view::npos) {
                ++i;
            }
        }
        i = skipSpace(bytes, i);
        if (i >= bytes.size() || bytes[i] != '=') {
            continue;
        }
        i = skipSpace(bytes, i + 1);
        if (i >= bytes.size() || (bytes[i] != '"' && bytes[i] != '\'')) {
            continue;
        }
        const std::string_view value = bytes.substr(i + 1, limit + 1);
        if (value.size() > limit && value.find(bytes[i]) == std::string_view::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

bool isXmlCharacter(uint32_t code) {
    return code == '\t' || code == '\n' || code == '\r' || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code < kPastUnicode);
}

std::variant<Screened, Refusal> screen(std::string_view bytes, const Limits& limits) {
    if (bytes.size() > limits.maxBytes) {
        return Refusal::TooLarge;
    }
    if (hasForbiddenBytes(bytes) || hasForbiddenReference(bytes)) {
        return Refusal::ForbiddenCharacter;
    }
    if (hasLongNamespace(bytes, limits.maxNamespaceBytes)) {
        return Refusal::NamespaceTooLong;
    }
    Markup markup;
    if (const std::optional<Refusal> refused = scanMarkup(bytes, limits, markup)) {
        return *refused;
    }
    return Screened{markup.elements};
}

} // namespace ondrel::xml
