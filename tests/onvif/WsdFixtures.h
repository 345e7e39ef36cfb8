#pragma once
// Datagrams of real WS-Discovery shapes, kept as files under fixtures/: every ProbeMatch among
// them answers the probe kFixtureProbeId, and AnswerTo makes it answer another.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace ondrel::testing {

inline constexpr std::string_view kFixtureProbeId = "urn:uuid:1f0c6b7e-2f3a-4c5d-9e8f-0a1b2c3d4e5f";

inline std::string Fixture(std::string_view file) {
    std::ifstream in(std::string(ONDREL_WSD_FIXTURES) + "/" + std::string(file), std::ios::binary);
    EXPECT_TRUE(in.good()) << file;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string AnswerTo(std::string text, std::string_view probeId) {
    const std::size_t at = text.find(kFixtureProbeId);
    return at == std::string::npos ? text : text.replace(at, kFixtureProbeId.size(), probeId);
}

} // namespace ondrel::testing
