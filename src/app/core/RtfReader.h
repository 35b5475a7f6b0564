#pragma once
// A small reader for the rich text the error help pages are written in: paragraphs, bold,
// italic, underline, font size, text colour from the colour table, special characters by
// \'hh (Windows code page) and \uN. Everything else (fonts, style sheets, pictures, document
// information, unknown destinations) is skipped. It never fails half-way on a damaged file:
// bad input ends in an error or in whatever text could be read, within fixed bounds of size and
// nesting, in one pass.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TRtfColor {
    uint8_t Red = 0, Green = 0, Blue = 0;
    bool Auto = true; // the colour table's empty first entry: the view's own text colour
};

struct TRtfRun {
    std::string Text; // UTF-8
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int HalfPoints = 24; // \fsN: font size in half points
    int Color = 0;       // index into TRtfDocument::Colors
};

struct TRtfParagraph {
    std::vector<TRtfRun> Runs;
};

struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs;
    std::vector<TRtfColor> Colors;
};

struct TRtfResult {
    bool Ok = false;
    std::string ErrorKind;    // "ERtfFormatError" and the like, for the error box
    std::string ErrorMessage;
    TRtfDocument Document;
};

// Help pages are a few tens of kilobytes; larger input is refused rather than laid out.
inline constexpr std::size_t MaxRtfBytes = 4 * 1024 * 1024;
inline constexpr int MaxRtfNesting = 200;

TRtfResult ParseRtf(std::string_view Rtf);
