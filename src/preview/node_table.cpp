#include "preview/node_table.h"

namespace meshlift::detail::preview {

bool NodeTable::denseIndex(std::string_view id, std::size_t& index) {
    // "07" and "7" are different ids: only the canonical form is an index.
    if (id.empty() || id.size() > 9 || (id[0] == '0' && id.size() > 1)) return false;
    index = 0;
    for (char c : id) {
        if (c < '0' || c > '9') return false;
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

void NodeTable::clear() {
    dense_.clear();
    sparse_.clear();
    defined_ = 0;
}

void NodeTable::define(std::string_view id, const Vec3* position) {
    const Slot slot{position != nullptr ? *position : Vec3{}, position != nullptr, true};
    ++defined_;
    std::size_t index = 0;
    if (denseIndex(id, index) && index < 4 * defined_ + 4096) {
        if (index >= dense_.size()) dense_.resize(index + 1);
        dense_[index] = slot;
        return;
    }
    sparse_[std::string(id)] = slot;
}

const Vec3* NodeTable::find(std::string_view id) const {
    std::size_t index = 0;
    const Slot* slot = nullptr;
    if (denseIndex(id, index) && index < dense_.size() && dense_[index].defined)
        slot = &dense_[index];
    if (slot == nullptr && !sparse_.empty()) {
        const auto found = sparse_.find(std::string(id));
        if (found != sparse_.end()) slot = &found->second;
    }
    return slot != nullptr && slot->usable ? &slot->position : nullptr;
}

} // namespace meshlift::detail::preview
