#pragma once

#include "preview/geometry.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace meshlift::detail::preview {

// The nodes of the current object, by id, in camera space. The converter writes ids
// 0, 1, 2...; those go into a plain table, any other id into a hash map. The table only
// grows with the number of nodes defined, so an id like 4000000000 cannot blow it up.
//
// Memory stays in proportion to the node elements read: 4 bytes of table a number up to
// four times their count, and a position only for a node that has one. Both grow in
// blocks (std::deque), never by copying into a buffer twice the size, which would hold
// three times the nodes for a moment.
class NodeTable {
  public:
    void clear();
    // A node without a usable position still counts as defined: a corner naming it is
    // skipped like one naming no node. A repeated id replaces the earlier node.
    void define(std::string_view id, const Vec3* position);
    // Null when no usable node has this id.
    [[nodiscard]] const Vec3* find(std::string_view id) const;

  private:
    // What an id stands for: kUndefined, kNoPosition, or kFirstPosition + the index of
    // its position.
    using Entry = std::uint32_t;
    static constexpr Entry kUndefined = 0;
    static constexpr Entry kNoPosition = 1;
    static constexpr Entry kFirstPosition = 2;

    [[nodiscard]] static bool denseIndex(std::string_view id, std::size_t& index);
    [[nodiscard]] Entry entryFor(Entry previous, const Vec3* position);

    std::deque<Entry> dense_;
    std::unordered_map<std::string, Entry> sparse_;
    std::deque<Vec3> positions_;
    std::size_t defined_ = 0;
};

} // namespace meshlift::detail::preview
