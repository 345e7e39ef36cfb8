// The hardened reader's own rules: names resolved through the declarations in scope (and only
// those), texts as a person wrote them, and the limits.

#include "onvif/XmlReader.h"

#include <gtest/gtest.h>

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
        out += (out.empty() ? "" : " ") + e.name.uri + "|" + e.name.local + "=" + e.text +
               (e.textTooLong ? "(too long)" : "");
        for (const Name& n : e.names) {
            out += " {" + n.uri + "}" + n.local;
        }
        for (const Attribute& a : e.attributes) {
            out += " @{" + a.name.uri + "}" + a.name.local + "=" + a.value;
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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Outline(read(c.xml, c.limits, [](const Name& n) { return n.local == "T"; })),
                  c.want)
            << c.name;
    }
}
