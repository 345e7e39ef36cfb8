// The hardened reader's own rules: names resolved through the declarations in scope (and only
// those), texts as a person wrote them, and the limits.

#include "xml/XmlReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace ondrel::xml;

namespace {

// Each element as "uri|local=text", and the names it holds as "{uri}local", joined by " ".
std::string Outline(const Read& read) {
    if (std::holds_alternative<Refusal>(read)) {
        return "refused " + std::to_string(static_cast<int>(std::get<Refusal>(read)));
    }
    std::string out;
    for (const Element& e : std::get<Document>(read).elements) {
        out += std::string(out.empty() ? "" : " ") + std::string(e.name.uri) + "|" +
               std::string(e.name.local) + "=" + e.text + (e.textTooLong ? "(too long)" : "");
        for (const Name& n : e.names) {
            out += " {" + std::string(n.uri) + "}" + std::string(n.local);
        }
        for (const Attribute& a : e.attributes) {
            out +=
                " @{" + std::string(a.name.uri) + "}" + std::string(a.name.local) + "=" + a.value;
        }
    }
    return out;
}

} // namespace

TEST(XmlReader, Rules) {
    Limits small;
    small.maxTextBytes = 5;
    small.maxNames = 2;
    small.maxDepth = 2;
    Limits tight;
    tight.maxElements = 3;
    tight.maxAttributesPerElement = 2;
    tight.maxAttributes = 3;
    tight.maxNamespaceBytes = 4;
    struct Case {
        const char* name;
        std::string xml;
        std::string want;
        Limits limits = {};
    } cases[] = {
        {"a prefix shadowed inside and restored after",
         R"(<p:a xmlns:p="u1"><p:b xmlns:p="u2"/><p:c/></p:a>)", "u1|a= u2|b= u1|c="},
        {"the default namespace undeclared", R"(<a xmlns="u"><b xmlns=""/><c/></a>)",
         "u|a= |b= u|c="},
        {"names in text resolved where they stand",
         R"(<T xmlns:x="u1" xmlns="d"> x:One Two y:Three <i xmlns:x="u2"/></T>)",
         "d|T= x:One Two y:Three  {u1}One {d}Two d|i="},
        {"entities, CDATA and line ends", "<a>1&amp;2&#x41;<![CDATA[<b>]]>\r\nz</a>",
         "|a=1&2A<b>\nz"},
        {"a declaration, a byte-order mark and a comment",
         "\xEF\xBB\xBF <?xml version=\"1.0\"?><!-- c --><a/>", "|a="},
        {"the xml prefix is always declared", R"(<a xml:lang="en"><xml:b/></a>)",
         "|a= @{http://www.w3.org/XML/1998/namespace}lang=en "
         "http://www.w3.org/XML/1998/namespace|b="},
        {"attributes: unprefixed in no namespace, prefixed resolved, undeclared left out",
         R"(<a xmlns:p="u" xmlns="d" token="eth0" p:t="1" q:t="2"/>)",
         "d|a= @{}token=eth0 @{u}t=1"},
        {"a text over its limit", "<a>123456<b>12345</b></a>", "|a=(too long) |b=12345", small},
        {"at most so many names", "<T>a b c</T>", "|T=a b c {}a {}b", small},
        {"deeper than the limit", "<a><b><c/></b></a>", "refused 4", small},
        {"a prefix declared twice on one element", R"(<a xmlns:p="1" xmlns:p="2"/>)", "refused 3"},
        {"a prefix undeclared", R"(<a xmlns:p=""/>)", "refused 3"},
        {"two colons", R"(<a:b:c xmlns:a="1"/>)", "refused 3"},
        {"a doctype in lower case", "<!doctype a><a/>", "refused 1"},
        {"elements at the cap", "<a><b/><c/></a>", "|a= |b= |c=", tight},
        {"one element over the cap", "<a><b/><c/><d></d></a>", "refused 5", tight},
        {"attributes at the caps", R"(<a x="1" y='2'><b z="3"/></a>)",
         "|a= @{}x=1 @{}y=2 |b= @{}z=3", tight},
        {"one attribute over on an element", R"(<a x="1" y="2" z="3"/>)", "refused 6", tight},
        {"a namespace declaration is an attribute", R"(<a xmlns="u" x="1" y="2"/>)", "refused 6",
         tight},
        {"a '>' inside a value does not end the tag", R"(<a x=">" y="/>" z=">"/>)", "refused 6",
         tight},
        {"one attribute over in the document", R"(<a x="1" y="2"><b z="3" w="4"/></a>)",
         "refused 6", tight},
        {"a namespace at the cap", R"(<p:a xmlns:p="1234"/>)", "1234|a=", tight},
        {"a default namespace over the cap", R"(<a xmlns="12345"/>)", "refused 7", tight},
        {"a prefixed one over, spaced and single-quoted", "<a xmlns:p = '12345'/>", "refused 7",
         tight},
        {"characters XML allows, by reference", "<a>&#65;&#x42;&#9;&#xFFFD;&#x10FFFF;</a>",
         "|a=AB\t\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
        {"NUL by reference", "<a>http://10.0.0.1&#0;.evil/</a>", "refused 8"},
        {"NUL by hex reference in an attribute", R"(<a x="&#x0;"/>)", "refused 8"},
        {"a C0 control by reference", "<a>&#x1F;</a>", "refused 8"},
        {"a surrogate by reference", "<a>&#xD800;</a>", "refused 8"},
        {"U+FFFE by reference", "<a>&#65534;</a>", "refused 8"},
        {"U+FFFF by reference", "<a>&#xFFFF;</a>", "refused 8"},
        {"past U+10FFFF", "<a>&#x110000;</a>", "refused 8"},
        {"so many digits that they wrap to 'A'", "<a>&#4294967361;</a>", "refused 8"},
        {"a raw C0 control", "<a>\x01</a>", "refused 8"},
        {"a raw U+FFFF", "<a>\xEF\xBF\xBF</a>", "refused 8"},
        {"a raw surrogate", "<a>\xED\xA0\x80</a>", "refused 8"},
        {"raw NUL", std::string("<a>\0</a>", 8), "refused 8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Outline(read(c.xml, c.limits, [](const Name& n) { return n.local == "T"; })),
                  c.want)
            << c.name;
    }
}

// A namespace URI is held once however many elements and attributes use it, and the names stay
// readable after the bytes they came from and the first copy of the document are gone.
TEST(XmlReader, NamesOutliveTheBytesAndShareOneUri) {
    auto bytes = std::make_unique<std::string>(
        R"(<a xmlns="urn:long:namespace:uri"><b xmlns="urn:long:namespace:uri" x="1"/><c/></a>)");
    auto first = std::make_unique<Read>(read(*bytes));
    bytes.reset();
    ASSERT_TRUE(std::holds_alternative<Document>(*first));
    const Document copy = std::get<Document>(*first);
    first.reset();
    ASSERT_EQ(copy.elements.size(), 3u);
    for (const Element& e : copy.elements) {
        EXPECT_EQ(e.name.uri, "urn:long:namespace:uri");
        EXPECT_EQ(e.name.uri.data(), copy.elements[0].name.uri.data()) << e.name.local;
    }
    EXPECT_EQ(copy.elements[2].name.local, "c");
    EXPECT_EQ(copy.elements[1].attributes.at(0).name.local, "x");
}
