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
    positions_.clear();
    defined_ = 0;
}

NodeTable::Entry NodeTable::entryFor(Entry previous, const Vec3* position) {
    if (position == nullptr) return kNoPosition;
    // A repeated id takes over its earlier node's position, if it had one.
    if (previous >= kFirstPosition) {
        positions_[previous - kFirstPosition] = *position;
        return previous;
    }
    positions_.push_back(*position);
    return static_cast<Entry>(kFirstPosition + positions_.size() - 1);
}

void NodeTable::define(std::string_view id, const Vec3* position) {
    // Entries are 32 bits: an object of more nodes than that (a document of over 50 GB)
    // keeps the first ones.
    if (positions_.size() >= std::uint32_t{0xFFFFFFF0}) return;
    ++defined_;
    std::size_t index = 0;
    if (denseIndex(id, index) && index < 4 * defined_ + 4096) {
        if (index >= dense_.size()) dense_.resize(index + 1, kUndefined);
        dense_[index] = entryFor(dense_[index], position);
        return;
    }
    Entry& entry = sparse_[std::string(id)];
    entry = entryFor(entry, position);
}

const Vec3* NodeTable::find(std::string_view id) const {
    std::size_t index = 0;
    Entry entry = kUndefined;
    if (denseIndex(id, index) && index < dense_.size()) entry = dense_[index];
    if (entry == kUndefined && !sparse_.empty()) {
        const auto found = sparse_.find(std::string(id));
        if (found != sparse_.end()) entry = found->second;
    }
    return entry >= kFirstPosition ? &positions_[entry - kFirstPosition] : nullptr;
}

} // namespace meshlift::detail::preview
