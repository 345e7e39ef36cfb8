#pragma once
// The block every name of one read document views. Its size is the document's: each element
// and attribute name, namespace URI and name read from a text is copied from a part of the
// bytes no other one is copied from, and none grows when read. A URI declared again is found
// among the first distinct ones and not stored twice; past those it is stored again, so that
// storing stays linear whatever a sender repeats.

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace ondrel::xml {

class NameBlock {
public:
    explicit NameBlock(std::size_t capacity);

    // A view of the stored copy; none when the block is full (a document larger as read than
    // as written, which XML does not make).
    std::optional<std::string_view> store(std::string_view text);
    std::optional<std::string_view> storeUri(std::string_view uri);
    // The block, for the document to own; nothing may be stored after.
    std::shared_ptr<const char[]> release();

private:
    static constexpr std::size_t kRemembered = 16;
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    std::vector<std::string_view> m_uris;
};

} // namespace ondrel::xml
