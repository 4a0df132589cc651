// The texts in the form of one file's lines: UTF-8 as they come, or written in the
// locale's code page. Converted and prepared again only when the texts or the form change.
#pragma once

#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "engine/engine.h"
#include "engine/segment_rewrite.h"

namespace engine::detail {

class TextForms {
public:
    // `page` null: the lines are UTF-8.
    void setCodePage(const CodePage* page) {
        page_ = page;
        stale_ = true;
    }

    const PreparedTexts& update(const Texts& texts) {
        // Asked for every line: the texts of a version already prepared cost one comparison.
        if (!stale_ && texts.version != 0 && texts.version == version_) return prepared_;
        return compareAndUpdate(texts);
    }

    // Counts the preparations: the texts differ from what they were when it changes.
    std::uint64_t generation() const { return generation_; }

    // Whether a text holds a character past ASCII, for which the form of the lines matters.
    bool pastAscii() const { return pastAscii_; }

private:
    bool sameAsLast(const Texts& texts) const {
        return texts.startMarker == raw_[0] && texts.stopMarker == raw_[1] &&
               texts.searchText == raw_[2] && texts.replacementText == raw_[3];
    }
    void prepare(const Texts& texts);
    const PreparedTexts& compareAndUpdate(const Texts& texts);

    const CodePage* page_ = nullptr;
    bool stale_ = true;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
    std::string raw_[4];
    bool pastAscii_ = false;
    PreparedTexts prepared_;
};

}  // namespace engine::detail
