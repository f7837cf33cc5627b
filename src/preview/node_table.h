#pragma once

#include "preview/geometry.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace meshlift::detail::preview {

// The nodes of the current object, by id, in camera space. The converter writes ids
// 0, 1, 2...; those go into a plain array, any other id into a hash map. The array only
// grows with the number of nodes defined, so an id like 4000000000 cannot blow it up.
class NodeTable {
  public:
    void clear();
    // A node without a usable position still counts as defined: a corner naming it is
    // skipped like one naming no node. A repeated id replaces the earlier node.
    void define(std::string_view id, const Vec3* position);
    // Null when no usable node has this id.
    [[nodiscard]] const Vec3* find(std::string_view id) const;

  private:
    struct Slot {
        Vec3 position;
        bool usable = false;
        bool defined = false;
    };
    [[nodiscard]] static bool denseIndex(std::string_view id, std::size_t& index);

    std::vector<Slot> dense_;
    std::unordered_map<std::string, Slot> sparse_;
    std::size_t defined_ = 0;
};

} // namespace meshlift::detail::preview
