// The account proof: digests against vectors computed elsewhere, the header a camera parses,
// and the check a simulated camera runs on what it receives.

#include "onvif/WsSecurity.h"
#include "xml/XmlReader.h"

#include <gtest/gtest.h>

using namespace ondrel::onvif;
using namespace std::chrono_literals;

namespace {

std::vector<std::uint8_t> decoded(std::string_view text) {
    return base64Decode(text).value_or(std::vector<std::uint8_t>{});
}

} // namespace

TEST(WsSecurity, DigestVectors) {
    struct Case {
        const char* nonce;
        const char* created;
        const char* password;
        const char* digest;
    } cases[] = {
        // The worked example ONVIF's programmers' guide gives.
        {"LKqI6G/AikKCQrN0zqZFlg==", "2010-09-16T07:50:45Z", "userpassword",
         "tuOSpGlFlIXsozq4HFNeeGeFLEI="},
        {"AAECAwQFBgcICQoLDA0ODw==", "2026-12-08T22:20:00Z", "p&ss<w>rd",
         "UeaxTWYhrbGLj1qfnvfJFluXd/g="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(passwordDigest(decoded(c.nonce), c.created, c.password), c.digest) << c.nonce;
    }
}

TEST(WsSecurity, TextForms) {
    EXPECT_EQ(base64Encode(decoded("AAECAwQFBgcICQoLDA0ODw==")), "AAECAwQFBgcICQoLDA0ODw==");
    EXPECT_EQ(decoded("YQ==").size(), 1u);
    EXPECT_EQ(decoded("YWI=").size(), 2u);
    EXPECT_FALSE(base64Decode("YWJ"));
    EXPECT_FALSE(base64Decode("Y$==").has_value());

    const auto when = std::chrono::sys_days(std::chrono::year(2026) / 12 / 8) + 22h + 5min + 7s;
    EXPECT_EQ(createdText(when), "2026-12-08T22:05:07Z");
    EXPECT_EQ(parseCreated("2026-12-08T22:05:07Z"), when);
    EXPECT_EQ(parseCreated("2026-12-08T22:05:07.250Z"), when);
    for (const char* bad : {"2026-12-08 22:05:07Z", "2026-13-08T22:05:07Z", "2026-12-08T22:05:07",
                            "2026-12-08T24:05:07Z", "2026-12-08T22:05:07.Z", "x"}) {
        EXPECT_FALSE(parseCreated(bad)) << bad;
    }
}

TEST(WsSecurity, TokenRoundTripAndCheck) {
    const auto now = std::chrono::sys_days(std::chrono::year(2026) / 12 / 8) + 22h;
    const std::optional<UsernameToken> token = makeToken("ad<min", "secret", now);
    ASSERT_TRUE(token);
    EXPECT_EQ(decoded(token->nonce).size(), 16u);
    EXPECT_NE(makeToken("ad<min", "secret", now)->nonce, token->nonce);

    // The header parses, and what a camera reads back out of it checks.
    const auto read =
        ondrel::xml::read("<s:Header xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">" +
                          securityHeader(*token) + "</s:Header>");
    ASSERT_TRUE(std::holds_alternative<ondrel::xml::Document>(read));
    UsernameToken received;
    for (const auto& e : std::get<ondrel::xml::Document>(read).elements) {
        if (e.name.local == "Username") {
            received.username = e.text;
        } else if (e.name.local == "Password") {
            received.digest = e.text;
        } else if (e.name.local == "Nonce") {
            received.nonce = e.text;
        } else if (e.name.local == "Created") {
            received.created = e.text;
        }
    }

    struct Case {
        const char* name;
        UsernameToken token;
        const char* password;
        std::chrono::seconds clockAhead;
        TokenCheck want;
    } cases[] = {
        {"as received", received, "secret", 0s, TokenCheck::Valid},
        {"within the skew", received, "secret", 5s, TokenCheck::Valid},
        {"beyond the skew", received, "secret", 6s, TokenCheck::ClockSkewed},
        {"behind beyond the skew", received, "secret", -6s, TokenCheck::ClockSkewed},
        {"wrong password", received, "Secret", 0s, TokenCheck::BadDigest},
        {"other user",
         {"admin", received.digest, received.nonce, received.created},
         "secret",
         0s,
         TokenCheck::UnknownUser},
        {"bad nonce",
         {"ad<min", received.digest, "***", received.created},
         "secret",
         0s,
         TokenCheck::BadNonce},
        {"bad time",
         {"ad<min", received.digest, received.nonce, "now"},
         "secret",
         0s,
         TokenCheck::BadCreated},
        {"digest of another time",
         {"ad<min", received.digest, received.nonce, "2026-12-08T22:00:01Z"},
         "secret",
         0s,
         TokenCheck::BadDigest},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkToken(c.token, "ad<min", c.password, now + c.clockAhead, 5s), c.want)
            << c.name;
    }
}
