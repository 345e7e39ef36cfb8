#pragma once
// Reading of reply texts: the key lookup, the number reading, the decoder of search replies
// and the classification of a received datagram.

#include "core/Device.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ondrel {

// The value of the first "key:" anywhere in text (not anchored to a line start, case
// sensitive), up to the first CR LF after it, untrimmed. Empty when the key is absent or its
// value has no CR LF end.
std::string_view keyValue(std::string_view key, std::string_view text);

// Leading blanks, an optional sign, then digits up to the first other character; empty or
// non-numeric text reads 0. Saturates at the 32-bit limits.
int32_t readDecimal(std::string_view text);

// The device a search reply text describes; its adapter is left unknown.
Device decodeSearchReply(std::string_view text);

// The text of a datagram: its bytes up to the first NUL, never beyond count.
std::string_view replyText(const uint8_t* data, std::size_t count);

// Exactly kTailLength characters after the first "AppUpTime", the count taken as an
// unsigned 16-bit number.
bool passesTailTest(std::string_view text);

enum class ReplyKind { Dropped, SearchReply, SetConfigResult };

struct ReplyClass {
    ReplyKind kind = ReplyKind::Dropped;
    uint16_t result = 0; // for SetConfigResult: 0 accepted, 1 refused
};

ReplyClass classifyReply(std::string_view text);

} // namespace ondrel
