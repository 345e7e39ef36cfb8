#pragma once
// The one reader of XML that arrives from the network. Any host on the LAN can send it, so
// the bytes are checked before a parser sees them (xml/XmlScreen): a size cap, no document
// type (and so no entity of the sender's making), no processing instruction but the XML
// declaration, no character XML forbids, and caps on what a parser would build of them:
// elements, attributes and the length of a namespace URI. pugixml then builds the tree, and one
// walk of our own (an explicit stack, never recursion) caps the nesting and resolves every
// prefix from the `xmlns` declarations in scope, so that elements are matched by namespace URI
// and local name whatever prefixes a maker chose.
//
// What comes out is a flat list of elements in document order with their parents, names and
// texts: no tree and no pointer into the datagram. Every name is a view into one block the
// document owns, so that a namespace URI is held once, not once per element that uses it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::xml {

// A name resolved from its prefix: the namespace URI and the local part. Both view the block
// of the Document the name came from, valid as long as a copy of that document lives.
struct Name {
    std::string_view uri;
    std::string_view local;
    bool operator==(const Name& other) const { return uri == other.uri && local == other.local; }
};

enum class Refusal {
    TooLarge,              // more bytes than the limit
    DocumentType,          // a DOCTYPE, or any other declaration of a document type's markup
    ProcessingInstruction, // one other than the XML declaration
    NotXml,                // not well-formed, or a prefix declared nowhere in scope
    TooDeep,               // nested deeper than the limit
    TooManyElements,       // more elements than the limit
    TooManyAttributes,     // more on one element, or in the whole document, than the limits
    NamespaceTooLong,      // an `xmlns` or `xmlns:p` value longer than the limit
    ForbiddenCharacter,    // a character XML forbids, raw or as a character reference
};

struct Limits {
    std::size_t maxBytes = 32 * 1024;
    std::size_t maxDepth = 32; // the root element is at depth 1
    // An element's own text longer than this is not kept.
    std::size_t maxTextBytes = 8 * 1024;
    // Qualified names read from one element's text, at most; the rest are left unread.
    std::size_t maxNames = 32;
    // What a parser builds grows with these, not with the bytes alone: a 1 MiB answer of empty
    // elements is 250,000 nodes, and a long default namespace used to be copied into each.
    std::size_t maxElements = 20'000;
    std::size_t maxAttributesPerElement = 64; // namespace declarations included
    std::size_t maxAttributes = 20'000;       // in the whole document
    std::size_t maxNamespaceBytes = 1024;     // as written, and as read
};

inline constexpr std::size_t kNoParent = SIZE_MAX;

// An attribute other than a namespace declaration. An unprefixed one is in no namespace.
struct Attribute {
    Name name;
    std::string value;
};

struct Element {
    Name name;
    std::size_t parent = kNoParent; // index in Document::elements
    // The element's own character data (not its children's), entities replaced, CDATA
    // included; empty when it was longer than the limit.
    std::string text;
    bool textTooLong = false;
    // For an element whose text holds qualified names: each, resolved in this element's scope.
    // A name whose prefix nothing declares is left out.
    std::vector<Name> names;
    // Those whose prefix is declared in scope and whose value is within the text limit.
    std::vector<Attribute> attributes;
};

struct Document {
    std::vector<Element> elements; // document order: a parent before its children
    // The bytes every Name views: each namespace URI once, and the local names. Shared, so
    // that a copy of the document views the same block.
    std::shared_ptr<const char[]> names;
};

using Read = std::variant<Document, Refusal>;
// Which elements hold qualified names in their text (such as a WS-Discovery Types list).
using HoldsNames = std::function<bool(const Name&)>;

Read read(std::string_view bytes, const Limits& limits = {}, const HoldsNames& holdsNames = {});

// Text as XML character data or an attribute value: & < > " written as entities.
std::string escaped(std::string_view text);

} // namespace ondrel::xml
