#include "XmlReader.h"

#include "xml/XmlNameBlock.h"
#include "xml/XmlScreen.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace ondrel::xml {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
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

// An attribute as written on its element: name and value read once from the parser's tree.
struct Written {
    std::string_view name;
    std::string_view value;
};

// Takes the element's namespace declarations into scope, each URI stored once; a refusal when
// one is malformed or too long, or a prefix is declared twice on the same element.
std::optional<Refusal> declare(const std::vector<Written>& written, const Limits& limits,
                               Scope& scope, NameBlock& block,
                               std::vector<std::string_view>& declared) {
    declared.clear();
    for (const auto& [name, value] : written) {
        std::string_view prefix;
        if (name == "xmlns") {
            prefix = {};
        } else if (name.starts_with("xmlns:")) {
            prefix = name.substr(6);
            // Undeclaring a prefix ("xmlns:p=''") does not exist in XML 1.0's namespaces.
            if (prefix.empty() || prefix.find(':') != std::string_view::npos || value.empty()) {
                return Refusal::NotXml;
            }
        } else {
            continue;
        }
        if (value.size() > limits.maxNamespaceBytes) {
            return Refusal::NamespaceTooLong;
        }
        if (std::find(declared.begin(), declared.end(), prefix) != declared.end()) {
            return Refusal::NotXml;
        }
        declared.push_back(prefix);
        const std::optional<std::string_view> uri = block.storeUri(value);
        if (!uri) {
            return Refusal::NotXml;
        }
        scope.bind(prefix, *uri);
    }
    return std::nullopt;
}

std::vector<Name> readNames(std::string_view text, const Scope& scope, const Limits& limits,
                            NameBlock& block) {
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
                const std::optional<std::string_view> uri = scope.resolve(split->prefix);
                const std::optional<std::string_view> local =
                    uri ? block.store(split->local) : std::nullopt;
                if (local) {
                    names.push_back({*uri, *local});
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

std::vector<Attribute> ownAttributes(const std::vector<Written>& written, const Scope& scope,
                                     const Limits& limits, NameBlock& block) {
    std::vector<Attribute> attributes;
    for (const auto& [name, value] : written) {
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
        const std::optional<std::string_view> local =
            uri ? block.store(split->local) : std::nullopt;
        if (local) {
            attributes.push_back({{*uri, *local}, std::string(value)});
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
    Walk(const Limits& limits, const HoldsNames& holdsNames, std::size_t bytes,
         std::size_t elements)
        : m_limits(limits), m_holdsNames(holdsNames), m_block(bytes) {
        m_document.elements.reserve(elements);
    }

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
        m_document.names = m_block.release();
        return std::move(m_document);
    }

private:
    // Reads the element's attributes as written and checks the exact counts; the screen's are
    // upper bounds that a look-alike in a comment inflates.
    std::optional<Refusal> readAttributes(const pugi::xml_node& node) {
        if (m_document.elements.size() + 1 > m_limits.maxElements) {
            return Refusal::TooManyElements;
        }
        m_written.clear();
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            if (m_written.size() == m_limits.maxAttributesPerElement) {
                return Refusal::TooManyAttributes;
            }
            m_written.push_back({a.name(), a.value()});
        }
        const std::size_t attributes = m_written.size();
        m_attributes += attributes;
        if (attributes > m_limits.maxAttributesPerElement ||
            m_attributes > m_limits.maxAttributes) {
            return Refusal::TooManyAttributes;
        }
        return std::nullopt;
    }

    std::optional<Refusal> enter(const pugi::xml_node& node, std::size_t parent) {
        if (m_stack.size() + 1 > m_limits.maxDepth) {
            return Refusal::TooDeep;
        }
        if (const std::optional<Refusal> refused = readAttributes(node)) {
            return refused;
        }
        const std::size_t mark = m_scope.mark();
        if (const std::optional<Refusal> refused =
                declare(m_written, m_limits, m_scope, m_block, m_declared)) {
            return refused;
        }
        const std::optional<Split> split = splitName(node.name());
        const std::optional<std::string_view> uri =
            split ? m_scope.resolve(split->prefix) : std::nullopt;
        const std::optional<std::string_view> local =
            uri ? m_block.store(split->local) : std::nullopt;
        if (!local) {
            return Refusal::NotXml;
        }
        Element element;
        element.name = {*uri, *local};
        element.parent = parent;
        if (std::optional<std::string> text = ownText(node, m_limits)) {
            element.text = std::move(*text);
            if (m_holdsNames && m_holdsNames(element.name)) {
                element.names = readNames(element.text, m_scope, m_limits, m_block);
            }
        } else {
            element.textTooLong = true;
        }
        element.attributes = ownAttributes(m_written, m_scope, m_limits, m_block);
        m_document.elements.push_back(std::move(element));
        m_stack.push_back({node.first_child(), m_document.elements.size() - 1, mark});
        return std::nullopt;
    }

    const Limits& m_limits;
    const HoldsNames& m_holdsNames;
    NameBlock m_block;
    Scope m_scope;
    std::vector<Frame> m_stack;
    std::size_t m_attributes = 0;
    // Reused from element to element, so that reading one costs no allocation of its own.
    std::vector<Written> m_written;
    std::vector<std::string_view> m_declared;
    Document m_document;
};

} // namespace

Read read(std::string_view bytes, const Limits& limits, const HoldsNames& holdsNames) {
    const std::variant<Screened, Refusal> screened = screen(bytes, limits);
    if (const Refusal* refused = std::get_if<Refusal>(&screened)) {
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
    const std::size_t elements =
        std::min(std::get<Screened>(screened).elements, limits.maxElements);
    return Walk(limits, holdsNames, bytes.size(), elements).run(root);
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
