#include "engine/file_pass.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "engine/unicode.h"

namespace engine::detail {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

struct Mark {
    std::string_view bytes;
    TextEncoding encoding;
};

// UTF-32 LE's mark begins like UTF-16 LE's, so it is looked for first.
constexpr Mark kMarks[] = {
    {{"\xFF\xFE\0\0", 4}, TextEncoding::utf32le}, {{"\0\0\xFE\xFF", 4}, TextEncoding::utf32be},
    {"\xFF\xFE", TextEncoding::utf16le},          {"\xFE\xFF", TextEncoding::utf16be},
    {"\xEF\xBB\xBF", TextEncoding::utf8},
};

// UTF-16 without a mark, where the start of a source shows it unmistakably: a NUL in the high
// byte of every unit and in no low one (no 8-bit text looks like that). An incomplete last unit
// is left out.
std::optional<TextEncoding> unmarkedUtf16(std::string_view head) {
    const std::size_t units = std::min(head.size(), kUtf8Sample) / 2;
    if (units == 0 || (head[0] == '\0') == (head[1] == '\0')) return std::nullopt;
    const std::size_t high = head[0] == '\0' ? 0 : 1;
    for (std::size_t i = 0; i < units; ++i) {
        if (head[2 * i + high] != '\0' || head[2 * i + 1 - high] == '\0') return std::nullopt;
    }
    return high == 0 ? TextEncoding::utf16be : TextEncoding::utf16le;
}

OutputForm formOf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::utf16le:
            return OutputForm::utf16le;
        case TextEncoding::utf16be:
            return OutputForm::utf16be;
        case TextEncoding::utf32le:
            return OutputForm::utf32le;
        case TextEncoding::utf32be:
            return OutputForm::utf32be;
        default:
            return OutputForm::bytes;
    }
}

}  // namespace

FilePass::FilePass(InputFile& input, Observer& observer)
    : input_(input),
      observer_(observer),
      page_(CodePage::current()),
      blocks_(input, kBlock),
      rewriter_(CaseRules::unicode()) {
    blocks_.ensure(kUtf8Sample);  // a byte-order mark, or the sample that shows UTF-16 without
    const std::string_view head = blocks_.unread();
    for (const Mark& m : kMarks) {
        if (head.substr(0, m.bytes.size()) == m.bytes) {
            mark_ = m.bytes.size();
            encoding_ = m.encoding;
            break;
        }
    }
    if (!encoding_) encoding_ = unmarkedUtf16(head);
}

bool FilePass::binary() const {
    if (encoding_ && encoding_ != TextEncoding::utf8) return false;
    return blocks_.unread().substr(0, kBinarySample).find('\0') != std::string_view::npos;
}

FileReport::Outcome FilePass::run(OutputFile& output, PassStats& stats) {
    const std::int64_t remaining = static_cast<std::int64_t>(input_.size());
    total_ = remaining + 2;
    observer_.progress(0, total_);

    const std::optional<TextEncoding> encoding = encoding_;
    sink_.emplace(output, formOf(encoding.value_or(TextEncoding::codePage)));
    // The same mark, counted at once.
    sink_->appendRaw(blocks_.unread().substr(0, mark_));
    blocks_.consume(mark_);
    const auto done = static_cast<std::int64_t>(mark_);
    if (done != 0) observer_.progress(done, total_);
    FileReport::Outcome result;
    if (encoding && encoding != TextEncoding::utf8) {
        const bool utf32 = encoding == TextEncoding::utf32le || encoding == TextEncoding::utf32be;
        const bool bigEndian =
            encoding == TextEncoding::utf16be || encoding == TextEncoding::utf32be;
        UnitLineReader reader(blocks_, utf32 ? 4 : 2, bigEndian);
        forms_.setCodePage(nullptr);
        result = copyLines(reader, remaining - done, done, stats);
        stats.encoding = *encoding;
    } else {
        ByteLineReader reader(blocks_, true);
        if (encoding) reader.decide(true);
        result = copyLines(reader, remaining - done, done, stats);
        stats.encoding = reader.utf8() ? TextEncoding::utf8 : TextEncoding::codePage;
    }
    stats.segments = rewriter_.segments;
    stats.replacements = rewriter_.replacements;
    sink_->flush();
    return result;
}

void FilePass::chooseForm(bool utf8) {
    const CodePage* page = utf8 ? nullptr : &page_->eightBit();
    forms_.setCodePage(page);
    rules_ = page != nullptr ? &page->rules() : &CaseRules::unicode();
    rewriter_.setRules(*rules_);
}

template <bool Wide>
bool FilePass::keptAsItIs(const Line& line, const PreparedTexts& texts) {
    const std::string_view raw = line.raw;
    if (line.end == LineEnd::none || raw.empty()) return false;
    if (texts.active) {
        if (texts.start.text.empty()) return false;
        if constexpr (Wide) {
            if (rules_->find(line.text, texts.start.text, 0, texts.start.anchor) !=
                CaseRules::npos) {
                return false;
            }
        } else {
            // 8-bit lines are the block's own bytes: it is searched once for all of them.
            const std::string_view unread = blocks_.unread();
            if (hit_ == nullptr || hit_ < raw.data() || hitGeneration_ != forms_.generation()) {
                const std::string_view rest(raw.data(), unread.size() + raw.size());
                const std::size_t at = rules_->find(rest, texts.start.text, 0, texts.start.anchor);
                hit_ = at == CaseRules::npos ? rest.data() + rest.size() : rest.data() + at;
                hitGeneration_ = forms_.generation();
            }
            if (hit_ < raw.data() + line.text.size()) return false;
        }
    }
    if (wantsLines_) observer_.lineRewritten(line.text, line.text);
    if (run_.data() + run_.size() != raw.data()) {
        flushRun();
        run_ = std::string_view(raw.data(), 0);
    }
    run_ = std::string_view(run_.data(), run_.size() + raw.size());
    return true;
}

void FilePass::flushRun() {
    if (!run_.empty()) sink_->appendRaw(run_);
    run_ = {};
}

void FilePass::beforeFill(void* context) {
    auto* pass = static_cast<FilePass*>(context);
    pass->flushRun();
    pass->hit_ = nullptr;
}

void FilePass::settle(ByteLineReader& reader, bool& formKnown) {
    if (!formKnown && reader.decided()) {
        chooseForm(reader.utf8());
        formKnown = true;
    }
}

void FilePass::lookAhead(ByteLineReader& reader, bool& formKnown, const Texts& texts) {
    if (formKnown || !forms_.pastAscii()) return;
    // A source all in ASCII is written as UTF-8 in a UTF-8 locale, or where the 8-bit code page
    // has no letters past ASCII.
    reader.decide(judgeAhead(blocks_).value_or(page_->isUtf8() || page_->eightBit().asciiOnly()));
    settle(reader, formKnown);
    forms_.update(texts);
}

template <class Reader>
FileReport::Outcome FilePass::copyLines(Reader& reader, std::int64_t remaining, std::int64_t done,
                                        PassStats& stats) {
    constexpr bool wide = std::is_same_v<Reader, UnitLineReader>;
    bool formKnown = wide;
    if (!formKnown) chooseForm(false);
    settle(reader, formKnown);
    wantsLines_ = observer_.wantsLines();
    blocks_.beforeFill(&FilePass::beforeFill, this);
    LineEnd lastEnd = LineEnd::crLf;
    Line line;
    bool read = false;  // whether `line` is being worked on, rather than read
    try {
        while (remaining > 0) {
            if (observer_.stopRequested()) {
                flushRun();
                return FileReport::Outcome::stopped;
            }
            // A source that shrank since it was measured ends early rather than invent lines.
            read = false;
            if (!reader.next(line)) break;
            read = true;
            settle(reader, formKnown);
            const Texts current = observer_.texts();
            const PreparedTexts& texts = forms_.update(current);
            lookAhead(reader, formKnown, current);
            const LineEnd end = line.end == LineEnd::none ? lastEnd : line.end;
            lastEnd = end;
            if constexpr (wide) {
                if (!keptAsItIs<true>(line, texts)) {
                    flushRun();
                    // Only an incomplete unit after the last line's end makes a line empty and
                    // open.
                    if (!line.text.empty() || line.end != LineEnd::none) {
                        writeLine<true>(line.text, texts, endText(end));
                    }
                    sink_->appendRaw(reader.trailing());  // carried through as it was
                }
            } else if (!keptAsItIs<false>(line, texts)) {
                flushRun();
                // A last line that is a lone NUL at an odd offset is the second byte of a UTF-16
                // unit: an end after it would leave half a unit.
                const bool halfUnit = line.end == LineEnd::none && done % 2 == 1 &&
                                      line.text == std::string_view("", 1);
                writeLine<false>(line.text, texts, halfUnit ? "" : endText(end));
            }
            ++stats.lines;
            // A last line without an end counts two bytes for the end it is given.
            const auto accounted =
                static_cast<std::int64_t>(line.bytes) + (line.end == LineEnd::none ? 2 : 0);
            done += accounted;
            remaining -= accounted;
            observer_.progress(done, total_);
        }
        flushRun();
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(read ? line.bytes : reader.taken(), read);
    }
    return FileReport::Outcome::completed;
}

std::string_view FilePass::endText(LineEnd end) {
    switch (end) {
        case LineEnd::lf:
            return "\n";
        case LineEnd::cr:
            return "\r";
        default:
            return "\r\n";
    }
}

template <bool Gather>
void FilePass::writeLine(std::string_view line, const PreparedTexts& texts, std::string_view end) {
    if (!wantsLines_ && (!Gather || line.size() >= kBlock)) {
        rewriter_.append(line, texts, *sink_);
        sink_->append(end);
        return;
    }
    rewritten_.clear();
    rewriter_.append(line, texts, rewritten_);
    if (wantsLines_) observer_.lineRewritten(line, rewritten_);
    rewritten_.append(end);
    sink_->append(rewritten_);
}

}  // namespace engine::detail
