#pragma once

#include "preview/block_input.h"
#include "preview/tag_scanner.h"

#include <string_view>

namespace meshlift::detail::preview {

// What the reader hands on, in document order, with entity and character references in
// the ids and coordinates replaced.
class SceneVisitor {
  public:
    virtual ~SceneVisitor() = default;
    // Returns false to stop reading (the scene's settings are unusable).
    [[nodiscard]] virtual bool sceneStart(const Tag& scene) = 0;
    virtual void objectStart(const Tag& object) = 0;
    virtual void nodeDefined(std::string_view id, std::string_view xyz) = 0;
    virtual void polygonStart() = 0;
    virtual void corner(std::string_view nodeId) = 0;
    virtual void polygonEnd() = 0;
    virtual void objectEnd() = 0;
};

enum class ReadOutcome {
    complete,   // read through </scene>
    truncated,  // the document ended before </scene>; what stood in it was read
    notScene,   // no <scene> start tag before the first other content
    unreadable, // the file could not be opened or read
    stopped,    // the visitor refused the scene
};

// Streams the document that `read` pulls in (as DocumentReader::read does) through the
// visitor, one block at a time, so that only the current markup item is ever held,
// never the document.
[[nodiscard]] ReadOutcome readDocument(const ReadBlock& read, SceneVisitor& visitor);

} // namespace meshlift::detail::preview
