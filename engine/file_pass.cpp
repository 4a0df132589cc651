#include "engine/file_pass.h"

#include <type_traits>

#include "engine/unicode.h"

namespace engine::detail {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// Whether the bytes of `source` from its first one past ASCII read as UTF-8; nothing for a
// source that is all ASCII.
std::optional<bool> scanForUtf8(FileLayer& files, const std::filesystem::path& source) {
    const std::unique_ptr<InputFile> input = files.openInput(source);
    Blocks blocks(*input, kBlock);
    while (blocks.fill()) {
        const std::string_view unread = blocks.unread();
        const std::size_t at = firstPastAscii(unread);
        if (at == std::string_view::npos) {
            blocks.consume(unread.size());
            continue;
        }
        return judgeUtf8(blocks, at);
    }
    return std::nullopt;
}

}  // namespace

FilePass::FilePass(InputFile& input, OutputFile& output, PassHost& host, FileLayer& files,
                   const std::filesystem::path& source)
    : input_(input),
      output_(output),
      host_(host),
      files_(files),
      source_(source),
      page_(CodePage::current()),
      blocks_(input, kBlock),
      rewriter_(CaseRules::unicode()) {}

PassResult FilePass::run(int entryIndex, PassStats& stats) {
    std::int64_t remaining = static_cast<std::int64_t>(input_.size());
    host_.selectEntry(entryIndex, true);
    host_.setProgressValue(0);
    host_.setProgressMin(0);
    host_.setProgressMax(remaining + 2);

    blocks_.ensure(3);  // room for a byte-order mark
    const std::string_view head = blocks_.unread();
    PassResult result;
    if (startsWith(head, "\xFF\xFE") || startsWith(head, "\xFE\xFF")) {
        const bool bigEndian = head[0] == '\xFE';
        stats.encoding = bigEndian ? TextEncoding::utf16be : TextEncoding::utf16le;
        sink_.emplace(output_, bigEndian ? OutputForm::utf16be : OutputForm::utf16le);
        sink_->appendRaw(head.substr(0, 2));  // the same mark, counted at once
        host_.setProgressValue(2);
        Utf16LineReader reader(blocks_, bigEndian);
        forms_.setCodePage(nullptr);
        result = copyLines(reader, remaining - 2, 2, stats);
    } else {
        sink_.emplace(output_, OutputForm::bytes);
        ByteLineReader reader(blocks_, true);
        if (startsWith(head, "\xEF\xBB\xBF")) reader.decide(true);
        result = copyLines(reader, remaining, 0, stats);
        stats.encoding = reader.utf8() ? TextEncoding::utf8 : TextEncoding::codePage;
    }
    stats.segments = rewriter_.segments;
    stats.replacements = rewriter_.replacements;
    sink_->flush();
    if (result == PassResult::completed) host_.selectEntry(entryIndex, false);
    return result;
}

void FilePass::chooseForm(bool utf8) {
    const CodePage* page = utf8 ? nullptr : &page_->eightBit();
    forms_.setCodePage(page);
    rules_ = page != nullptr ? &page->rules() : &CaseRules::unicode();
    rewriter_.setRules(*rules_);
}

template <bool Utf16>
bool FilePass::keptAsItIs(const Line& line, const PreparedTexts& texts) {
    const std::string_view raw = line.raw;
    if (line.end == LineEnd::none || raw.empty()) return false;
    if (texts.active) {
        if (texts.start.text.empty()) return false;
        if constexpr (Utf16) {
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
    if (wantsLines_) host_.lineRewritten(line.text, line.text);
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
    reader.decide(
        scanForUtf8(files_, source_).value_or(page_->isUtf8() || page_->eightBit().asciiOnly()));
    settle(reader, formKnown);
    forms_.update(texts);
}

template <class Reader>
PassResult FilePass::copyLines(Reader& reader, std::int64_t remaining, std::int64_t done,
                               PassStats& stats) {
    constexpr bool utf16 = std::is_same_v<Reader, Utf16LineReader>;
    bool formKnown = utf16;
    if (!formKnown) chooseForm(false);
    settle(reader, formKnown);
    wantsLines_ = host_.wantsLines();
    blocks_.beforeFill(&FilePass::beforeFill, this);
    LineEnd lastEnd = LineEnd::crLf;
    Line line;
    while (remaining > 0) {
        host_.yield();
        if (host_.stopRequested()) {
            flushRun();
            return PassResult::stopped;
        }
        // A source that shrank since it was measured ends early rather than invent lines.
        if (!reader.next(line)) break;
        settle(reader, formKnown);
        const Texts current = host_.currentTexts();
        const PreparedTexts& texts = forms_.update(current);
        lookAhead(reader, formKnown, current);
        const LineEnd end = line.end == LineEnd::none ? lastEnd : line.end;
        lastEnd = end;
        if constexpr (utf16) {
            if (!keptAsItIs<true>(line, texts)) {
                flushRun();
                // Only an odd last byte, after the last line's end, makes a line empty and open.
                if (!line.text.empty() || line.end != LineEnd::none) {
                    writeLine<true>(line.text, texts, end);
                }
                sink_->appendRaw(reader.trailing());  // carried through as it was
            }
        } else if (!keptAsItIs<false>(line, texts)) {
            flushRun();
            writeLine<false>(line.text, texts, end);
        }
        ++stats.lines;
        // A last line without an end counts two bytes for the end it is given.
        const auto accounted =
            static_cast<std::int64_t>(line.bytes) + (line.end == LineEnd::none ? 2 : 0);
        done += accounted;
        remaining -= accounted;
        host_.setProgressValue(done);
    }
    flushRun();
    return PassResult::completed;
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
void FilePass::writeLine(std::string_view line, const PreparedTexts& texts, LineEnd end) {
    if (!wantsLines_ && (!Gather || line.size() >= kBlock)) {
        rewriter_.append(line, texts, *sink_);
        sink_->append(endText(end));
        return;
    }
    rewritten_.clear();
    rewriter_.append(line, texts, rewritten_);
    if (wantsLines_) host_.lineRewritten(line, rewritten_);
    rewritten_.append(endText(end));
    sink_->append(rewritten_);
}

}  // namespace engine::detail
