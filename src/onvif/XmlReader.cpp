#include "XmlReader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace ondrel::xml {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

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

// Everything that could make the parser expand, fetch or execute something is refused here,
// on the raw bytes, before pugixml runs. A comment or CDATA section that merely mentions such
// markup is refused as well: no camera sends one, and a scan that never skips is one that
// cannot be fooled about where a comment ends.
std::optional<Refusal> screen(std::string_view bytes, const Limits& limits) {
    if (bytes.size() > limits.maxBytes) {
        return Refusal::TooLarge;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return Refusal::NotXml;
    }
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
        }
    }
    return std::nullopt;
}

// The namespace declarations in scope: per prefix ("" for the default namespace) a stack of
// URIs, innermost last, and an undo log so that leaving an element forgets its own.
class Scope {
public:
    Scope() { m_bound[std::string_view("xml")].push_back(kXmlNamespace); }

    std::size_t mark() const { return m_undo.size(); }
    void bind(std::string_view prefix, std::string_view uri) {
        m_bound[prefix].push_back(uri);
        m_undo.push_back(prefix);
    }
    void unwind(std::size_t mark) {
        while (m_undo.size() > mark) {
            m_bound[m_undo.back()].pop_back();
            m_undo.pop_back();
        }
    }
    // The URI the prefix names here; none for a prefix declared nowhere in scope. An undeclared
    // default namespace is no namespace.
    std::optional<std::string_view> resolve(std::string_view prefix) const {
        const auto found = m_bound.find(prefix);
        if (found == m_bound.end() || found->second.empty()) {
            return prefix.empty() ? std::optional<std::string_view>("") : std::nullopt;
        }
        return found->second.back();
    }

private:
    std::unordered_map<std::string_view, std::vector<std::string_view>> m_bound;
    std::vector<std::string_view> m_undo;
};

struct Split {
    std::string_view prefix;
    std::string_view local;
};

// "p:local" or "local"; none for an empty part or a second colon.
std::optional<Split> splitName(std::string_view name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        return name.empty() ? std::nullopt : std::optional<Split>(Split{{}, name});
    }
    const Split split{name.substr(0, colon), name.substr(colon + 1)};
    if (split.prefix.empty() || split.local.empty() ||
        split.local.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    return split;
}

// Takes the element's namespace declarations into scope; false when one is malformed or a
// prefix is declared twice on the same element.
bool declare(const pugi::xml_node& node, Scope& scope) {
    std::vector<std::string_view> declared;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        std::string_view prefix;
        if (name == "xmlns") {
            prefix = {};
        } else if (name.starts_with("xmlns:")) {
            prefix = name.substr(6);
            // Undeclaring a prefix ("xmlns:p=''") does not exist in XML 1.0's namespaces.
            if (prefix.empty() || prefix.find(':') != std::string_view::npos ||
                *attribute.value() == '\0') {
                return false;
            }
        } else {
            continue;
        }
        if (std::find(declared.begin(), declared.end(), prefix) != declared.end()) {
            return false;
        }
        declared.push_back(prefix);
        scope.bind(prefix, attribute.value());
    }
    return true;
}

std::vector<Name> readNames(std::string_view text, const Scope& scope, const Limits& limits) {
    std::vector<Name> names;
    std::size_t at = 0;
    while (at < text.size() && names.size() < limits.maxNames) {
        while (at < text.size() && isXmlSpace(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !isXmlSpace(text[end])) {
            ++end;
        }
        if (end > at) {
            if (const std::optional<Split> split = splitName(text.substr(at, end - at))) {
                if (const std::optional<std::string_view> uri = scope.resolve(split->prefix)) {
                    names.push_back({std::string(*uri), std::string(split->local)});
                }
            }
        }
        at = end;
    }
    return names;
}

// The element's own character data, or none when it grows past the limit.
std::optional<std::string> ownText(const pugi::xml_node& node, const Limits& limits) {
    std::string text;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata) {
            continue;
        }
        const std::string_view part = child.value();
        if (text.size() + part.size() > limits.maxTextBytes) {
            return std::nullopt;
        }
        text += part;
    }
    return text;
}

std::vector<Attribute> ownAttributes(const pugi::xml_node& node, const Scope& scope,
                                     const Limits& limits) {
    std::vector<Attribute> attributes;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        const std::string_view value = attribute.value();
        if (name == "xmlns" || name.starts_with("xmlns:") || value.size() > limits.maxTextBytes) {
            continue;
        }
        const std::optional<Split> split = splitName(name);
        if (!split) {
            continue;
        }
        const std::optional<std::string_view> uri = split->prefix.empty()
                                                        ? std::optional<std::string_view>("")
                                                        : scope.resolve(split->prefix);
        if (uri) {
            attributes.push_back(
                {{std::string(*uri), std::string(split->local)}, std::string(value)});
        }
    }
    return attributes;
}

struct Frame {
    pugi::xml_node next; // the next child to look at
    std::size_t index = 0;
    std::size_t scopeMark = 0;
};

class Walk {
public:
    Walk(const Limits& limits, const HoldsNames& holdsNames)
        : m_limits(limits), m_holdsNames(holdsNames) {}

    Read run(const pugi::xml_node& root) {
        if (const std::optional<Refusal> refused = enter(root, kNoParent)) {
            return *refused;
        }
        while (!m_stack.empty()) {
            Frame& top = m_stack.back();
            while (top.next && top.next.type() != pugi::node_element) {
                top.next = top.next.next_sibling();
            }
            if (!top.next) {
                m_scope.unwind(top.scopeMark);
                m_stack.pop_back();
                continue;
            }
            const pugi::xml_node child = top.next;
            top.next = child.next_sibling();
            if (const std::optional<Refusal> refused = enter(child, top.index)) {
                return *refused;
            }
        }
        return std::move(m_document);
    }

private:
    std::optional<Refusal> enter(const pugi::xml_node& node, std::size_t parent) {
        if (m_stack.size() + 1 > m_limits.maxDepth) {
            return Refusal::TooDeep;
        }
        const std::size_t mark = m_scope.mark();
        if (!declare(node, m_scope)) {
            return Refusal::NotXml;
        }
        const std::optional<Split> split = splitName(node.name());
        if (!split) {
            return Refusal::NotXml;
        }
        const std::optional<std::string_view> uri = m_scope.resolve(split->prefix);
        if (!uri) {
            return Refusal::NotXml;
        }
        Element element;
        element.name = {std::string(*uri), std::string(split->local)};
        element.parent = parent;
        if (std::optional<std::string> text = ownText(node, m_limits)) {
            element.text = std::move(*text);
            if (m_holdsNames && m_holdsNames(element.name)) {
                element.names = readNames(element.text, m_scope, m_limits);
            }
        } else {
            element.textTooLong = true;
        }
        element.attributes = ownAttributes(node, m_scope, m_limits);
        m_document.elements.push_back(std::move(element));
        m_stack.push_back({node.first_child(), m_document.elements.size() - 1, mark});
        return std::nullopt;
    }

    const Limits& m_limits;
    const HoldsNames& m_holdsNames;
    Scope m_scope;
    std::vector<Frame> m_stack;
    Document m_document;
};

} // namespace

Read read(std::string_view bytes, const Limits& limits, const HoldsNames& holdsNames) {
    if (const std::optional<Refusal> refused = screen(bytes, limits)) {
        return *refused;
    }
    pugi::xml_document document;
    // The encoding is fixed: a declaration or byte-order mark naming UTF-16 must not make the
    // parser read bytes that the screen above read differently.
    const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol;
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_utf8);
    if (!parsed) {
        return Refusal::NotXml;
    }
    // pugixml takes several roots without complaint (and skips text beside the root).
    pugi::xml_node root;
    for (const pugi::xml_node& child : document.children()) {
        if (child.type() == pugi::node_element) {
            if (root) {
                return Refusal::NotXml;
            }
            root = child;
        }
    }
    if (!root) {
        return Refusal::NotXml;
    }
    return Walk(limits, holdsNames).run(root);
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace ondrel::xml
