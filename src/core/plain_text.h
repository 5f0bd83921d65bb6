#pragma once
// Texts as people type and read them. Every entry of the program (its windows, the command line, tasks
// read from JSON) takes UTF-8 without control characters — a message keeps its line breaks and tabs —,
// so no stored name can carry an escape sequence to a terminal or split a line of a listing in two.
// Files written by older versions may hold such bytes still; they are shown escaped.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelo {

// The length of the well-formed UTF-8 sequence at text[i] (1 for ASCII), or 0 when the bytes there are
// not one: a stray continuation byte, an overlong or truncated sequence, a surrogate, beyond U+10FFFF.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);
bool isWellFormedUtf8(std::string_view text);

// Whether a message's line breaks (CR, LF) and tabs are part of the text, or control characters like any
// other.
enum class LineBreaks { refused, kept };

// Control characters: C0 (below U+0020), DEL and C1 (U+0080..U+009F), which terminals act on.
// What makes text unfit for an entry, as the end of a sentence ("holds a control character"), or nothing.
std::optional<std::string> entryTextProblem(std::string_view text, LineBreaks breaks = LineBreaks::refused);
// The same for a field of width characters: "holds at most 20 characters" besides.
std::optional<std::string> entryTextProblem(std::string_view text, std::size_t width,
                                            LineBreaks breaks = LineBreaks::refused);

// text fit to print on a terminal: each control character and each byte that is not well-formed UTF-8
// as an escape (\e, \r, \n, \t, \xHH, \u0085), everything else as it is. With LineBreaks::kept a line
// break (CR LF, CR or LF) is a new line and a tab a tab.
std::string printable(std::string_view text, LineBreaks breaks = LineBreaks::refused);

// text with every control character (a CR LF pair counting as one) turned into a blank: a message's
// lines as one line of a to-do item.
std::string withoutControls(std::string_view text);

}  // namespace tarvelo
