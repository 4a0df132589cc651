#include "engine/text_forms.h"

#include "engine/unicode.h"

namespace engine::detail {

const PreparedTexts& TextForms::compareAndUpdate(const Texts& texts) {
    if (stale_ || texts.version != 0 || !sameAsLast(texts)) prepare(texts);
    return prepared_;
}

void TextForms::prepare(const Texts& texts) {
    stale_ = false;
    ++generation_;
    version_ = texts.version;
    raw_[0] = texts.startMarker;
    raw_[1] = texts.stopMarker;
    raw_[2] = texts.searchText;
    raw_[3] = texts.replacementText;
    pastAscii_ = false;
    for (const std::string& text : raw_) pastAscii_ |= firstPastAscii(text) != std::string::npos;
    if (page_ == nullptr) {
        prepared_.set(raw_[0], raw_[1], raw_[2], raw_[3]);
        return;
    }
    std::string converted[4];
    bool expressible[4];
    for (int i = 0; i < 4; ++i) expressible[i] = page_->fromUtf8(raw_[i], converted[i]);
    prepared_.set(converted[0], converted[1], converted[2], converted[3]);
    // A text that this code page cannot write matches nothing, and nothing is written for it.
    prepared_.active &= expressible[0] && expressible[1];
    prepared_.replaces &= expressible[2] && expressible[3];
}

}  // namespace engine::detail
