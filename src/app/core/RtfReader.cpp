#include "app/core/RtfReader.h"

#include "app/core/Windows1252.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

constexpr uint32_t ReplacementCharacter = 0xFFFD;

struct TState {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int HalfPoints = 24;
    int Color = 0;
    int SkipAfterUnicode = 1; // \ucN
    bool Skip = false;        // inside a destination whose text is not shown
    bool ColorTable = false;
};

void AppendUtf8(std::string& Out, uint32_t Code)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xC0 | (Code >> 6));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Out += static_cast<char>(0xE0 | (Code >> 12));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Code >> 18));
        Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Destinations whose contents are not text of the page.
bool IsSkippedDestination(std::string_view Word)
{
    static constexpr std::string_view Skipped[] = {
        "fonttbl", "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr", "headerf", "footerl",
        "footerr", "footerf", "listtable", "listoverridetable", "rsidtbl", "generator", "object", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "filetbl", "revtbl", "field", "fldinst"};
    for (std::string_view s : Skipped)
        if (Word == s)
            return true;
    return false;
}

class TParser {
public:
    explicit TParser(std::string_view Rtf)
        : rtf_(Rtf)
    {
    }

    TRtfResult Run()
    {
        TRtfResult result;
        if (rtf_.size() > MaxRtfBytes)
            return Error("ERtfFormatError", "The file is too large for a help page (" + std::to_string(rtf_.size()) +
                                                " bytes).");
        std::size_t start = 0;
        while (start < rtf_.size() && (rtf_[start] == ' ' || rtf_[start] == '\r' || rtf_[start] == '\n' ||
                                       rtf_[start] == '\t'))
            ++start;
        if (rtf_.substr(start, 5) != "{\\rtf")
            return Error("ERtfFormatError", "The file is no rich-text file: it does not begin with {\\rtf.");
        pos_ = start;
        doc_.Paragraphs.emplace_back();
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_];
            if (c == '{') {
                ++pos_;
                FinishSurrogate();
                if (stack_.size() >= static_cast<std::size_t>(MaxRtfNesting))
                    return Error("ERtfFormatError", "The file nests groups more than " +
                                                        std::to_string(MaxRtfNesting) + " deep.");
                stack_.push_back(state_);
                startOfGroup_ = true;
                continue;
            }
            if (c == '}') {
                ++pos_;
                FinishSurrogate();
                if (stack_.empty())
                    break;
                FinishColor();
                state_ = stack_.back();
                stack_.pop_back();
                if (stack_.empty())
                    break; // the document's closing brace
                continue;
            }
            if (c == '\\') {
                ++pos_;
                ControlSymbolOrWord();
                startOfGroup_ = false;
                continue;
            }
            ++pos_;
            startOfGroup_ = false;
            if (c == '\r' || c == '\n')
                continue;
            if (state_.ColorTable) {
                if (c == ';')
                    FinishColor(true);
                continue;
            }
            Text(Windows1252ToUnicode(static_cast<unsigned char>(c)));
        }
        FinishSurrogate();
        // An unterminated file keeps the text read so far.
        if (doc_.Paragraphs.back().Runs.empty())
            doc_.Paragraphs.pop_back();
        result.Ok = true;
        result.Document = std::move(doc_);
        return result;
    }

private:
    TRtfResult Error(const std::string& Kind, const std::string& Message)
    {
        TRtfResult result;
        result.ErrorKind = Kind;
        result.ErrorMessage = Message;
        return result;
    }

    void Text(uint32_t Code)
    {
        FinishSurrogate();
        if (state_.Skip || state_.ColorTable)
            return;
        std::vector<TRtfRun>& runs = doc_.Paragraphs.back().Runs;
        const bool same = !runs.empty() && runs.back().Bold == state_.Bold && runs.back().Italic == state_.Italic &&
                          runs.back().Underline == state_.Underline && runs.back().HalfPoints == state_.HalfPoints &&
                          runs.back().Color == state_.Color;
        if (!same) {
            TRtfRun run;
            run.Bold = state_.Bold;
            run.Italic = state_.Italic;
            run.Underline = state_.Underline;
            run.HalfPoints = state_.HalfPoints;
            run.Color = state_.Color;
            runs.push_back(run);
        }
        AppendUtf8(runs.back().Text, Code);
    }

    void Paragraph()
    {
        FinishSurrogate();
        if (state_.Skip || state_.ColorTable)
            return;
        doc_.Paragraphs.emplace_back();
    }

    void FinishColor(bool Always = false)
    {
        if (!state_.ColorTable)
            return;
        if (Always || color_.has_value()) {
            doc_.Colors.push_back(color_.value_or(TRtfColor{}));
            color_.reset();
        }
    }

    void ControlSymbolOrWord()
    {
        if (pos_ >= rtf_.size())
            return;
        const char c = rtf_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            switch (c) {
            case '\\':
            case '{':
            case '}':
                Text(static_cast<uint8_t>(c));
                return;
            case '~':
                Text(0xA0);
                return;
            case '_':
                Text(0x2011);
                return;
            case '*':
                if (startOfGroup_)
                    state_.Skip = true; // an optional destination this reader does not know
                return;
            case '\'': {
                const int high = pos_ < rtf_.size() ? HexDigit(rtf_[pos_]) : -1;
                const int low = pos_ + 1 < rtf_.size() ? HexDigit(rtf_[pos_ + 1]) : -1;
                if (high < 0 || low < 0)
                    return;
                pos_ += 2;
                Text(Windows1252ToUnicode(static_cast<unsigned char>(high * 16 + low)));
                return;
            }
            case '\r':
            case '\n':
                Paragraph();
                return;
            default:
                return; // \- and other symbols without text
            }
        }
        const std::size_t wordStart = pos_;
        while (pos_ < rtf_.size() && IsLetter(rtf_[pos_]) && pos_ - wordStart < 32)
            ++pos_;
        const std::string_view word = rtf_.substr(wordStart, pos_ - wordStart);
        std::optional<long> parameter;
        const std::size_t numberStart = pos_;
        if (pos_ < rtf_.size() && (rtf_[pos_] == '-' || (rtf_[pos_] >= '0' && rtf_[pos_] <= '9'))) {
            ++pos_;
            while (pos_ < rtf_.size() && rtf_[pos_] >= '0' && rtf_[pos_] <= '9' && pos_ - numberStart < 10)
                ++pos_;
            const std::string digits(rtf_.substr(numberStart, pos_ - numberStart));
            if (digits != "-")
                parameter = std::strtol(digits.c_str(), nullptr, 10);
        }
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ')
            ++pos_; // the delimiting blank belongs to the control word
        Word(word, parameter);
    }

    void Word(std::string_view Word, std::optional<long> Parameter)
    {
        const bool on = !Parameter || *Parameter != 0;
        if (startOfGroup_ && IsSkippedDestination(Word)) {
            state_.Skip = true;
            return;
        }
        if (Word == "colortbl") {
            state_.ColorTable = true;
            return;
        }
        if (state_.ColorTable) {
            if (!Parameter)
                return;
            if (!color_)
                color_.emplace();
            TRtfColor& color = *color_;
            const uint8_t value = static_cast<uint8_t>(std::clamp(*Parameter, 0L, 255L));
            color.Auto = false;
            if (Word == "red")
                color.Red = value;
            else if (Word == "green")
                color.Green = value;
            else if (Word == "blue")
                color.Blue = value;
            return;
        }
        if (Word == "bin") {
            // Binary data: skipped unseen, never read past the end.
            const std::size_t count = Parameter && *Parameter > 0 ? static_cast<std::size_t>(*Parameter) : 0;
            pos_ = std::min(rtf_.size(), pos_ + count);
            return;
        }
        if (Word == "u" && Parameter) {
            long code = *Parameter;
            if (code < 0)
                code += 65536;
            if (code >= 0 && code <= 0x10FFFF)
                Utf16Unit(static_cast<uint32_t>(code));
            skipChars_ = state_.SkipAfterUnicode;
            SkipFallback();
            return;
        }
        if (Word == "uc" && Parameter)
            state_.SkipAfterUnicode = static_cast<int>(std::clamp(*Parameter, 0L, 16L));
        else if (Word == "par" || Word == "sect" || Word == "page")
            Paragraph();
        else if (Word == "line")
            Text(0x2028);
        else if (Word == "tab")
            Text('\t');
        else if (Word == "b")
            state_.Bold = on;
        else if (Word == "i")
            state_.Italic = on;
        else if (Word == "ul")
            state_.Underline = on;
        else if (Word == "ulnone")
            state_.Underline = false;
        else if (Word == "fs" && Parameter)
            state_.HalfPoints = static_cast<int>(std::clamp(*Parameter, 2L, 400L));
        else if (Word == "cf" && Parameter)
            state_.Color = static_cast<int>(std::clamp(*Parameter, 0L, 255L));
        else if (Word == "plain") {
            state_.Bold = state_.Italic = state_.Underline = false;
            state_.HalfPoints = 24;
            state_.Color = 0;
        } else if (Word == "emdash")
            Text(0x2014);
        else if (Word == "endash")
            Text(0x2013);
        else if (Word == "bullet")
            Text(0x2022);
        else if (Word == "lquote")
            Text(0x2018);
        else if (Word == "rquote")
            Text(0x2019);
        else if (Word == "ldblquote")
            Text(0x201C);
        else if (Word == "rdblquote")
            Text(0x201D);
    }

    // A character outside the basic plane comes as two \\u words, a high and a low surrogate; they
    // become one character. A half without its partner (a damaged file) becomes U+FFFD, so the
    // text stays valid UTF-8.
    void Utf16Unit(uint32_t Code)
    {
        const bool high = Code >= 0xD800 && Code <= 0xDBFF;
        const bool low = Code >= 0xDC00 && Code <= 0xDFFF;
        if (low && highSurrogate_) {
            const uint32_t joined = 0x10000 + ((*highSurrogate_ - 0xD800) << 10) + (Code - 0xDC00);
            highSurrogate_.reset();
            Text(joined);
        } else if (high) {
            FinishSurrogate();
            highSurrogate_ = Code;
        } else {
            Text(low ? ReplacementCharacter : Code);
        }
    }

    void FinishSurrogate()
    {
        if (!highSurrogate_)
            return;
        highSurrogate_.reset();
        Text(ReplacementCharacter);
    }

    // The characters that stand for a \uN character in readers that do not know it.
    void SkipFallback()
    {
        while (skipChars_ > 0 && pos_ < rtf_.size()) {
            const char c = rtf_[pos_];
            if (c == '{' || c == '}')
                break;
            if (c == '\\') {
                if (pos_ + 1 < rtf_.size() && rtf_[pos_ + 1] == '\'') {
                    pos_ = std::min(rtf_.size(), pos_ + 4);
                    --skipChars_;
                    continue;
                }
                break; // a control word ends the fallback
            }
            ++pos_;
            --skipChars_;
        }
        skipChars_ = 0;
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    TState state_;
    std::vector<TState> stack_;
    TRtfDocument doc_;
    std::optional<TRtfColor> color_;
    int skipChars_ = 0;
    std::optional<uint32_t> highSurrogate_;
    bool startOfGroup_ = false;
};

} // namespace

TRtfResult ParseRtf(std::string_view Rtf)
{
    return TParser(Rtf).Run();
}
