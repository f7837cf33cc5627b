#include "preview/document_reader.h"

#include "preview/block_input.h"

#include <string>

namespace meshlift::detail::preview {
namespace {

// Which of the document's elements the reader stands in; nothing else of the nesting
// matters to a picture.
struct Position {
    bool inScene = false;
    bool inObject = false;
    bool inNodes = false;
    bool inPolygon = false;
};

// Blanks, and the bytes of a byte order mark, may stand before the scene.
bool isBlankText(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\xEF' && c != '\xBB' &&
            c != '\xBF')
            return false;
    }
    return true;
}

class ElementDispatch {
  public:
    explicit ElementDispatch(SceneVisitor& visitor) : visitor_(visitor) {}

    // Returns false when reading must stop, with the reason in outcome().
    [[nodiscard]] bool handle(const Tag& tag) {
        if (tag.truncated || tag.kind == TagKind::other) return true;
        if (!at_.inScene) return enterScene(tag);
        if (tag.kind == TagKind::end) return leave(tag.name);
        if (tag.name == "node") {
            std::string_view id = decodedValue(tag.attribute("id"), idScratch_);
            if (at_.inPolygon)
                visitor_.corner(id);
            else if (at_.inNodes)
                visitor_.nodeDefined(id, decodedValue(tag.attribute("xyz"), xyzScratch_));
        } else if (tag.name == "object") {
            leaveObject();
            visitor_.objectStart(tag);
            at_.inObject = true;
            if (tag.kind == TagKind::empty) leaveObject();
        } else if (tag.name == "nodes") {
            at_.inNodes = tag.kind == TagKind::start;
        } else if (tag.name == "polygon") {
            leavePolygon(false);
            visitor_.polygonStart();
            at_.inPolygon = true;
            if (tag.kind == TagKind::empty) leavePolygon(true);
        }
        return true;
    }

    // Text outside markup before the scene starts means this is some other file.
    [[nodiscard]] bool acceptText(std::string_view text) {
        if (at_.inScene || isBlankText(text)) return true;
        outcome_ = ReadOutcome::notScene;
        return false;
    }

    void endOfInput() {
        leaveObject();
        if (outcome_ == ReadOutcome::complete && !finished_)
            outcome_ = at_.inScene ? ReadOutcome::truncated : ReadOutcome::notScene;
    }

    [[nodiscard]] ReadOutcome outcome() const { return outcome_; }

  private:
    bool enterScene(const Tag& tag) {
        if (tag.name != "scene" || tag.kind != TagKind::start) {
            outcome_ = ReadOutcome::notScene;
            return false;
        }
        at_.inScene = true;
        if (visitor_.sceneStart(tag)) return true;
        outcome_ = ReadOutcome::stopped;
        return false;
    }

    bool leave(std::string_view name) {
        if (name == "polygon") leavePolygon(true);
        if (name == "nodes") at_.inNodes = false;
        if (name == "object") leaveObject();
        if (name != "scene") return true;
        leaveObject();
        finished_ = true;
        return false;
    }

    // An unfinished polygon (a hand edit that lost its end tag) is dropped, not drawn.
    void leavePolygon(bool finished) {
        if (at_.inPolygon && finished) visitor_.polygonEnd();
        at_.inPolygon = false;
    }

    void leaveObject() {
        leavePolygon(false);
        at_.inNodes = false;
        if (at_.inObject) visitor_.objectEnd();
        at_.inObject = false;
    }

    SceneVisitor& visitor_;
    Position at_;
    bool finished_ = false;
    ReadOutcome outcome_ = ReadOutcome::complete;
    std::string idScratch_;
    std::string xyzScratch_;
};

} // namespace

ReadOutcome readDocument(const ReadBlock& read, SceneVisitor& visitor) {
    BlockInput input(read);
    ElementDispatch dispatch(visitor);
    while (true) {
        const std::string_view text = input.rest();
        const std::size_t open = text.find('<');
        if (!dispatch.acceptText(text.substr(0, open))) return dispatch.outcome();
        if (open == std::string_view::npos) {
            input.advance(text.size());
            if (input.atEnd()) break;
            if (!input.refill()) return ReadOutcome::unreadable;
            continue;
        }
        input.advance(open);
        Tag tag;
        const std::size_t length = scanTag(text.substr(open), input.atEnd(), tag);
        if (length == 0) {
            // A "<" that opens no item within kMaxItemSize is junk, not a reason to hold
            // the rest of the file: it and everything its scan looked through are read
            // past as text. Passing the "<" alone would have each of the next ones scan
            // the same 16 MiB again: a run of "<" would take quadratic time.
            const std::string_view junk = text.substr(open);
            if (junk.size() < kMaxItemSize) {
                if (!input.refill()) return ReadOutcome::unreadable;
            } else {
                if (!dispatch.acceptText(junk)) return dispatch.outcome();
                input.advance(junk.size());
            }
            continue;
        }
        input.advance(length);
        if (!dispatch.handle(tag)) return dispatch.outcome();
    }
    dispatch.endOfInput();
    return dispatch.outcome();
}

} // namespace meshlift::detail::preview
