// Golden flows: a document goes through both analyses exactly as Open runs them, every question
// is answered from a script, and the written document, the statistics text and the questions
// asked are compared with files a person wrote and checked by hand.
//
// Every folder under cases/ is one flow. All files are UTF-8 text; any of them may be missing
// unless said otherwise.
//
//   keywords.txt      Orvo keywords, one per line          (the readable dictionary text:
//   orvo-types.txt    Orvo document types                   "VALUE; SYNONYM; SYNONYM",
//   orvo-bodies.txt   Orvo adopting bodies                  "#" starts a comment)
//   local-types.txt   local document types
//   local-bodies.txt  local adopting bodies
//   orvo.lst          Orvo documents, list-file format ("$0  НОМЕР В БАЗЕ" ... records ended by "$$")
//   local.lst         local documents, the same format
//   input.rla.txt     the document to open (required), in the notation below
//   script.txt        the answers, one per line (below)
//   expected.rla.txt  the document as written after the analyses (required), in the notation
//   expected-stats.txt      the statistics text (required)
//   expected-questions.txt  every question asked, in order (below); without it no message box
//                           may be shown at all
//   expected-bookmarks.txt  the rows (from 0) that carry a bookmark at the end; without it none
//   about.txt         what the flow is about, for the reader
//
// Document notation. Each line of the file is one line of the *.rla file; the runner writes it in
// code page 866 with CR LF after every line.
//   \xHH   the byte HH itself (two hex digits): \x04 of tag and marker lines, \x01 anchor start,
//          \x02 anchor end, \x03 anchor separator
//   \\     a backslash
//   \-     only at the end of a line: hyphens up to 66 characters, the width of tag and marker
//          lines, so "\x04\x04СС_НУЛ_101_LAW#\-" is a whole inter-base tag line
//   ┌ ─ ┬ ┐ │ ├ ┼ ┤ └ ┴ ┘   the single-line frame characters of code page 866
//   anything else: its character in code page 1251, then in code page 866 (a character either
//   page lacks is an error in the case)
//
// Script. Blank lines and lines starting with "#" are skipped. The answers of each kind of
// question are used in order:
//   select none | select cancel | select 1,3 | select number 123
//          the candidates dialog: "Нет" (nothing chosen), "Отмена", "Да" with the candidates at
//          those 1-based positions of the dialog's list (the dialog returns them in row order, so
//          scripts list them ascending), "Да" with a typed number
//   tag yes [KIND] [LINE] [O] [P] | tag no | tag cancel
//          the tag parameters dialog; KIND one of the ten link kind codes (НУЛ when left out),
//          LINE the line number, O and P (Latin letters) the keys -О and -П
//   confirm yes | confirm no | confirm cancel
//          the confirmation of the tags placed for a line
//   message yes | message no | message cancel
//          a message box that asks something
//   bookmark ROW
//          while the next confirmation is open the person sets a bookmark on that row (from 0,
//          as the view shows the lines then, the tags just placed included)
// Every answer must be used: answers left over fail the flow, like a question without one.
//
// Questions, one line each, in the order asked:
//   select DATE: N, N, ...  the candidates dialog with the effective date it shows and the
//                           numbers in base of the candidates, in the dialog's order
//   tag N                   the tag parameters dialog for the document numbered N
//   confirm N, N, ...       the confirmation, with the numbers of the linked documents
//   message TEXT            any message box (line feeds written as \n)

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "document/telvarion_doc.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "core/dict_text.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

#ifndef TELVARION_FLOW_CASES
#error "TELVARION_FLOW_CASES must name the folder of the flow cases"
#endif

namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadText(const fs::path& path)
{
    std::ifstream in(Fs(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The lines of a text file; a final line feed does not start another line, a CR before a line
// feed is dropped.
std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The same text without the empty lines at its end.
std::vector<std::string> WithoutTrailingEmpty(std::vector<std::string> lines)
{
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Document notation

struct FrameChar {
    char32_t unicode;
    unsigned char cp866;
};

constexpr FrameChar kFrameChars[] = {
    { U'┌', 0xDA }, { U'─', 0xC4 }, { U'┬', 0xC2 }, { U'┐', 0xBF }, { U'│', 0xB3 }, { U'├', 0xC3 },
    { U'┼', 0xC5 }, { U'┤', 0xB4 }, { U'└', 0xC0 }, { U'┴', 0xC1 }, { U'┘', 0xD9 },
};

std::string EncodeUtf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// One code point at pos; false for a malformed or four-byte sequence.
bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& c)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    std::size_t len = 0;
    if (b0 < 0x80) {
        c = b0;
        len = 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        c = b0 & 0x1F;
        len = 2;
    } else if ((b0 & 0xF0) == 0xE0) {
        c = b0 & 0x0F;
        len = 3;
    } else {
        return false;
    }
    if (pos + len > s.size())
        return false;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[pos + k]);
        if ((b & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (b & 0x3F);
    }
    pos += len;
    return true;
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

// One line of the notation as the bytes of a code page 866 file line; an error says what is wrong.
std::string LineTo866(std::string_view line, std::string& error)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (line[pos] == '\\') {
            const char next = pos + 1 < line.size() ? line[pos + 1] : '\0';
            if (next == '\\') {
                out += '\\';
                pos += 2;
            } else if (next == 'x' && pos + 3 < line.size() && HexDigit(line[pos + 2]) >= 0
                && HexDigit(line[pos + 3]) >= 0) {
                out += static_cast<char>(HexDigit(line[pos + 2]) * 16 + HexDigit(line[pos + 3]));
                pos += 4;
            } else if (next == '-' && pos + 2 == line.size()) {
                if (out.size() >= kTagLineLength) {
                    error = "\\- on a line already 66 characters long";
                    return {};
                }
                out.append(kTagLineLength - out.size(), '-');
                pos += 2;
            } else {
                error = "unknown escape at column " + std::to_string(pos + 1);
                return {};
            }
            continue;
        }
        char32_t c = 0;
        if (!DecodeUtf8(line, pos, c)) {
            error = "malformed UTF-8";
            return {};
        }
        const auto frame = std::find_if(
            std::begin(kFrameChars), std::end(kFrameChars), [c](const FrameChar& f) { return f.unicode == c; });
        if (frame != std::end(kFrameChars)) {
            out += static_cast<char>(frame->cp866);
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const std::string cp1251 = codepage::Utf8ToCp1251(EncodeUtf8(c));
        const std::string cp866 = codepage::Cp1251ToCp866(cp1251);
        if (cp1251.size() != 1 || cp1251 == "?" || cp866 == "?") {
            error = "character " + EncodeUtf8(c) + " has no place in code pages 1251 and 866";
            return {};
        }
        out += cp866;
    }
    return out;
}

// A whole notation file as the bytes of an *.rla file.
std::string NotationTo866(std::string_view text, std::string& error)
{
    std::string out;
    int number = 0;
    for (const std::string& line : SplitLines(text)) {
        ++number;
        std::string lineError;
        out += LineTo866(line, lineError);
        if (!lineError.empty()) {
            error = "line " + std::to_string(number) + ": " + lineError;
            return {};
        }
        out += "\r\n";
    }
    return out;
}

// The notation of one line of a code page 866 file, for showing differences.
std::string LineToNotation(std::string_view line)
{
    std::string out;
    for (char ch : line) {
        const auto b = static_cast<unsigned char>(ch);
        const auto frame = std::find_if(
            std::begin(kFrameChars), std::end(kFrameChars), [b](const FrameChar& f) { return f.cp866 == b; });
        if (frame != std::end(kFrameChars)) {
            out += EncodeUtf8(frame->unicode);
        } else if (b < 0x20 || b == 0x7F) {
            static const char* const kHex = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else if (b == '\\') {
            out += "\\\\";
        } else if (b < 0x80) {
            out += ch;
        } else {
            out += codepage::Cp1251ToUtf8(codepage::Cp866ToCp1251(std::string(1, ch)));
        }
    }
    return out;
}

// The lines of an *.rla file as the notation shows them; a line that lacks its CR LF is marked.
std::vector<std::string> FileToNotation(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(LineToNotation(bytes) + "   <no CR LF>");
            break;
        }
        lines.push_back(LineToNotation(bytes.substr(0, end)));
        bytes.remove_prefix(end + 2);
    }
    return lines;
}

// A line diff of two texts (longest common subsequence; the documents are small).
std::string Diff(const std::vector<std::string>& expected, const std::vector<std::string>& actual)
{
    const std::size_t n = expected.size();
    const std::size_t m = actual.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
    std::ostringstream out;
    out << "  (- expected, + actual; numbers are rows of the actual text from 0)\n";
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            out << "   " << j << "\t" << actual[j] << "\n";
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            out << " + " << j << "\t" << actual[j] << "\n";
            ++j;
        } else {
            out << " -  \t" << expected[i] << "\n";
            ++i;
        }
    }
    return out.str();
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& line : lines)
        s += line + "\n";
    return s;
}

// ---------------------------------------------------------------------------------------------
// The answering person

// The scripted user interface that also keeps one log of all questions in the order asked, and
// builds the candidates dialog's answer from positions in the list it is shown.
class CFlowUi : public CScriptedUi {
public:
    struct Selection {
        enum class Kind { None, Cancel, Positions, Number } kind = Kind::None;
        std::vector<std::size_t> positions; // 1-based
        std::int32_t number = 0;
    };
    std::deque<Selection> selections;
    std::deque<std::vector<std::size_t>> bookmarksDuringConfirm; // one list per confirmation
    std::vector<std::string> log;
    // The script done with: every candidate chosen, and Да to every question.
    bool yesToAll = false;

    // Every question names its line, among the rows and in the context, and the base that suspects it.
    static void CheckTheLineAskedAbout(const SelectDocumentsRequest& r)
    {
        // The context: from 8 lines above the line (not above the text's start) to 7 below it.
        ASSERT_TRUE(r.rows && r.rowRecords && r.line < r.rows->size() && r.rows->size() == r.rowRecords->size()
            && r.contextLine <= std::min<std::size_t>(8, r.line));
        EXPECT_EQ((*r.rowRecords)[r.line].*(r.localBase ? &CLineRecord::bSuspectLocal : &CLineRecord::bSuspectOrvo), 1);
        std::string context;
        for (std::size_t k = r.line - r.contextLine; k <= r.line + 7 && k < r.rows->size(); ++k)
            context += (k == r.line - r.contextLine ? "" : "\n") + (*r.rows)[k];
        EXPECT_EQ(r.contextText, context);
    }

    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override
    {
        std::string shown = text;
        for (std::size_t p = 0; (p = shown.find('\n', p)) != std::string::npos;)
            shown.replace(p, 1, "\\n");
        log.push_back("message " + shown);
        return CScriptedUi::MessageBox(text, icon, buttons);
    }

    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) override
    {
        CheckTheLineAskedAbout(request);
        std::string line = "select " + request.dateText + ":";
        for (std::size_t k = 0; k < request.candidates.size(); ++k)
            line += (k ? ", " : " ") + std::to_string(request.candidates[k].nBaseNumber);
        log.push_back(line);
        if (yesToAll)
            selectAnswers.push_back({ AnswerOk, 0, 0, request.candidates });
        if (!selections.empty()) {
            const Selection scripted = selections.front();
            selections.pop_front();
            SelectDocumentsResult result;
            result.endCode = scripted.kind == Selection::Kind::Cancel ? AnswerCancel : AnswerOk;
            if (scripted.kind == Selection::Kind::Number) {
                result.mode = 1;
                result.number = scripted.number;
            }
            for (std::size_t position : scripted.positions) {
                if (position == 0 || position > request.candidates.size()) {
                    ADD_FAILURE() << "the script chooses candidate " << position << " of "
                                  << request.candidates.size();
                    continue;
                }
                result.chosen.push_back(request.candidates[position - 1]);
            }
            selectAnswers.push_back(result);
        }
        return CScriptedUi::SelectDocuments(request);
    }

    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) override
    {
        log.push_back("tag " + std::to_string(request.number));
        if (yesToAll)
            innerTagAnswers.push_back({});
        return CScriptedUi::AskInnerTagParameters(request);
    }

    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override
    {
        std::string line = "confirm";
        for (std::size_t k = 0; k < linked.size(); ++k)
            line += (k ? ", " : " ") + std::to_string(linked[k].nBaseNumber);
        log.push_back(line);
        if (yesToAll)
            confirmAnswers.push_back(AnswerYes);
        duringConfirm = nullptr;
        if (!bookmarksDuringConfirm.empty()) {
            const std::vector<std::size_t> rows = bookmarksDuringConfirm.front();
            bookmarksDuringConfirm.pop_front();
            duringConfirm = [rows](std::vector<std::string>&, std::vector<CLineRecord>& shown) {
                for (std::size_t r : rows) {
                    if (r < shown.size())
                        shown[r].bBookmark = 1;
                    else
                        ADD_FAILURE() << "bookmark on row " << r << " of " << shown.size();
                }
            };
        }
        return CScriptedUi::AskTagCandidates(linked, texts, records, row);
    }

    // What the script gave and no question took.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> left;
        if (!selections.empty())
            left.push_back(std::to_string(selections.size()) + " select answer(s)");
        if (!innerTagAnswers.empty())
            left.push_back(std::to_string(innerTagAnswers.size()) + " tag answer(s)");
        if (!confirmAnswers.empty())
            left.push_back(std::to_string(confirmAnswers.size()) + " confirm answer(s)");
        if (!answers.empty())
            left.push_back(std::to_string(answers.size()) + " message answer(s)");
        return left;
    }
};

std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in { std::string(line) };
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ParseNumber(const std::string& text, long long& value)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    value = std::stoll(text);
    return true;
}

// Fills the person's answers from the script; false with a message for a line it cannot read.
bool LoadScript(std::string_view text, CFlowUi& ui, std::string& error)
{
    std::vector<std::size_t> pendingBookmarks;
    int number = 0;
    for (const std::string& raw : SplitLines(text)) {
        ++number;
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string> w = Words(line);
        const auto fail = [&](const std::string& why) {
            error = "script line " + std::to_string(number) + " (" + std::string(line) + "): " + why;
            return false;
        };
        long long value = 0;
        if (w[0] == "select" && w.size() >= 2) {
            CFlowUi::Selection selection;
            if (w[1] == "none" && w.size() == 2) {
                selection.kind = CFlowUi::Selection::Kind::None;
            } else if (w[1] == "cancel" && w.size() == 2) {
                selection.kind = CFlowUi::Selection::Kind::Cancel;
            } else if (w[1] == "number" && w.size() == 3 && ParseNumber(w[2], value)) {
                selection.kind = CFlowUi::Selection::Kind::Number;
                selection.number = static_cast<std::int32_t>(value);
            } else {
                selection.kind = CFlowUi::Selection::Kind::Positions;
                std::string list;
                for (std::size_t k = 1; k < w.size(); ++k)
                    list += w[k];
                std::istringstream in(list);
                for (std::string item; std::getline(in, item, ',');) {
                    if (!ParseNumber(item, value) || value == 0)
                        return fail("a candidate position is a number from 1");
                    selection.positions.push_back(static_cast<std::size_t>(value));
                }
                if (selection.positions.empty())
                    return fail("no candidate chosen");
            }
            ui.selections.push_back(selection);
        } else if (w[0] == "tag" && w.size() >= 2) {
            CScriptedUi::InnerTagChoice choice;
            if (w[1] == "no" && w.size() == 2) {
                choice.answer = AnswerNo;
            } else if (w[1] == "cancel" && w.size() == 2) {
                choice.answer = AnswerCancel;
            } else if (w[1] == "yes") {
                choice.answer = AnswerYes;
                for (std::size_t k = 2; k < w.size(); ++k) {
                    const std::string cp = codepage::Utf8ToCp1251(w[k]);
                    const auto& kinds = LinkKinds();
                    if (std::any_of(kinds.begin(), kinds.end(), [&](const LinkKind& kind) { return kind.code == cp; }))
                        choice.kind = cp;
                    else if (ParseNumber(w[k], value))
                        choice.line = static_cast<std::int32_t>(value);
                    else if (w[k] == "O")
                        choice.keyO = true;
                    else if (w[k] == "P")
                        choice.keyP = true;
                    else
                        return fail("unknown tag parameter " + w[k]);
                }
            } else {
                return fail("tag yes|no|cancel");
            }
            ui.innerTagAnswers.push_back(choice);
        } else if (w[0] == "confirm" && w.size() == 2) {
            if (w[1] == "yes")
                ui.confirmAnswers.push_back(AnswerYes);
            else if (w[1] == "no")
                ui.confirmAnswers.push_back(AnswerNo);
            else if (w[1] == "cancel")
                ui.confirmAnswers.push_back(AnswerCancel);
            else
                return fail("confirm yes|no|cancel");
            ui.bookmarksDuringConfirm.push_back(pendingBookmarks);
            pendingBookmarks.clear();
        } else if (w[0] == "message" && w.size() == 2) {
            if (w[1] == "yes")
                ui.answers.push_back(AnswerYes);
            else if (w[1] == "no")
                ui.answers.push_back(AnswerNo);
            else if (w[1] == "cancel")
                ui.answers.push_back(AnswerCancel);
            else
                return fail("message yes|no|cancel");
        } else if (w[0] == "bookmark" && w.size() == 2 && ParseNumber(w[1], value)) {
            pendingBookmarks.push_back(static_cast<std::size_t>(value));
        } else {
            return fail("not an answer");
        }
    }
    if (!pendingBookmarks.empty()) {
        error = "bookmarks at the end of the script belong to no confirmation";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Service files

struct CaseFiles {
    fs::path folder;
    std::optional<std::string> Read(const char* name) const { return ReadText(folder / name); }
    std::string ReadOrEmpty(const char* name) const { return Read(name).value_or(std::string()); }
};

// How many records a list file holds, by its opening marker lines.
std::size_t ListRecordCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (const auto& line : SplitLines(utf8))
        if (TrimBlanks(line) == "$0  НОМЕР В БАЗЕ")
            ++count;
    return count;
}

// Imports the case's list file into a maker's documents, as the program's import command does with
// a file in code page 1251.
void ImportList(const CaseFiles& files, const char* name, CDocDict& documents, const CTempDir& dir, CScriptedUi& ui)
{
    const auto list = files.Read(name);
    if (!list)
        return;
    const std::string path = dir.Write(std::string(name) + ".1251", codepage::Utf8ToCp1251(*list));
    ASSERT_TRUE(documents.ImportListFile(ui, path, false)) << name;
    ASSERT_EQ(documents.records.size(), ListRecordCount(*list)) << name << ": a record was not complete";
}

// Writes the service files of both makers into folder, built from the case's readable sources.
void BuildServiceFiles(const CaseFiles& files, const std::string& folder, const CTempDir& dir)
{
    CScriptedUi ui;
    {
        COrvoRefMaker orvo(ui);
        orvo.LoadFiles(folder); // nothing there yet: opens a fresh titles file
        orvo.keywords.strings = ParseKeywordText(files.ReadOrEmpty("keywords.txt"));
        orvo.types = ParseRecvDictText(files.ReadOrEmpty("orvo-types.txt"));
        orvo.bodies = ParseRecvDictText(files.ReadOrEmpty("orvo-bodies.txt"));
        ImportList(files, "orvo.lst", orvo.documents, dir, ui);
        orvo.MarkDictionariesModified();
        orvo.MarkDocumentsModified();
        orvo.SaveFiles(folder);
    }
    {
        CInnerRefMaker local(ui);
        local.LoadFiles(folder);
        local.types = ParseRecvDictText(files.ReadOrEmpty("local-types.txt"));
        local.bodies = ParseRecvDictText(files.ReadOrEmpty("local-bodies.txt"));
        ImportList(files, "local.lst", local.documents, dir, ui);
        local.MarkDictionariesModified();
        local.MarkDocumentsModified();
        local.SaveFiles(folder);
    }
    // Only the import's report of how many records it took.
    for (const auto& m : ui.messages)
        EXPECT_EQ(m.icon, MsgIcon::Information) << "while building the service files: " << m.text;
}

// ---------------------------------------------------------------------------------------------
// The cases

std::vector<std::string> DiscoverCases()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(Fs(fs::path(TELVARION_FLOW_CASES)), ec))
        if (entry.is_directory() && fs::exists(Fs(entry.path() / "input.rla.txt")))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The test name of a case folder: letters, digits and underscores. A folder whose name starts with
// DISABLED_ gives a disabled test, for GoogleTest and CTest alike.
std::string TestName(const std::string& folder)
{
    std::string name = folder;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

void RunCase(const std::string& caseName);

class CGoldenFlowTest : public testing::Test {
public:
    explicit CGoldenFlowTest(std::string caseName)
        : m_caseName(std::move(caseName))
    {
    }
    void TestBody() override { RunCase(m_caseName); }

private:
    std::string m_caseName;
};

// One test per case folder, found when the program starts.
[[maybe_unused]] const bool kCasesRegistered = [] {
    for (const std::string& name : DiscoverCases())
        testing::RegisterTest("GoldenFlow", TestName(name).c_str(), nullptr, nullptr, __FILE__, __LINE__,
            [name]() -> CGoldenFlowTest* { return new CGoldenFlowTest(name); });
    return true;
}();

void RunCaseOnce(const std::string& caseName, bool keepsRows);

// Every case twice: with a confirmation that may change any row, the second pass keeps a copy of
// the whole text for taking tags back; with one that only sets bookmarks, just the lines around
// each line. Both must come to the same document, questions and bookmarks.
void RunCase(const std::string& caseName)
{
    for (const bool keepsRows : { false, true }) {
        SCOPED_TRACE(keepsRows ? "the confirmation keeps the rows" : "the confirmation may change any row");
        RunCaseOnce(caseName, keepsRows);
    }
}

void RunCaseOnce(const std::string& caseName, bool keepsRows)
{
    const CaseFiles files { fs::path(TELVARION_FLOW_CASES) / caseName };
    CTempDir dir;
    const std::string dataFolder = dir.File("data");
    fs::create_directories(Fs(dataFolder));
    BuildServiceFiles(files, dataFolder, dir);
    if (testing::Test::HasFatalFailure())
        return;

    std::string error;
    const std::string input = NotationTo866(*files.Read("input.rla.txt"), error);
    ASSERT_TRUE(error.empty()) << "input.rla.txt " << error;
    const auto expectedText = files.Read("expected.rla.txt");
    ASSERT_TRUE(expectedText) << "expected.rla.txt is missing";
    const std::string expected = NotationTo866(*expectedText, error);
    ASSERT_TRUE(error.empty()) << "expected.rla.txt " << error;
    const auto expectedStats = files.Read("expected-stats.txt");
    ASSERT_TRUE(expectedStats) << "expected-stats.txt is missing";

    CFlowUi ui;
    ui.keepsRowsWhileConfirming = keepsRows;
    ASSERT_TRUE(LoadScript(files.ReadOrEmpty("script.txt"), ui, error)) << error;

    const std::string inputPath = dir.Write("document.rla", input);
    std::string statistics;
    std::unique_ptr<CTelvarionDoc> document;
    {
        CTelvarionDoc& doc = *(document = std::make_unique<CTelvarionDoc>(ui, dataFolder));
        doc.LoadServiceData();
        ASSERT_TRUE(ui.log.empty()) << "loading the service files asked: " << ui.log.front();
        ASSERT_TRUE(doc.OpenFile(inputPath, false));
        statistics = doc.GetStatisticsText();

        CRlaText written;
        written.headerLines = doc.text.headerLines;
        written.textLines = ui.viewTexts;
        written.path = dir.File("written.rla");
        ASSERT_TRUE(written.WriteRla(ui));
    }
    const std::string actual = CTempDir::Read(dir.File("written.rla"));

    EXPECT_TRUE(actual == expected) << "the written document differs from expected.rla.txt\n"
                                    << Diff(FileToNotation(expected), FileToNotation(actual));

    EXPECT_EQ(JoinLines(WithoutTrailingEmpty(SplitLines(statistics))),
        JoinLines(WithoutTrailingEmpty(SplitLines(*expectedStats))))
        << "statistics";

    if (const auto questions = files.Read("expected-questions.txt")) {
        const std::vector<std::string> wanted = WithoutTrailingEmpty(SplitLines(*questions));
        EXPECT_TRUE(ui.log == wanted) << "the questions differ from expected-questions.txt\n" << Diff(wanted, ui.log);
    } else {
        EXPECT_TRUE(ui.messages.empty()) << "a message box was shown: " << ui.messages.front().text;
    }

    std::vector<std::string> bookmarks;
    for (std::size_t r = 0; r < ui.viewRecords.size(); ++r)
        if (ui.viewRecords[r].bBookmark)
            bookmarks.push_back(std::to_string(r));
    const std::vector<std::string> wantedBookmarks
        = WithoutTrailingEmpty(SplitLines(files.ReadOrEmpty("expected-bookmarks.txt")));
    EXPECT_EQ(JoinLines(bookmarks), JoinLines(wantedBookmarks)) << "bookmarked rows";

    const std::vector<std::string> left = ui.Leftovers();
    EXPECT_TRUE(left.empty()) << "the script has answers no question took: " << JoinLines(left);
    EXPECT_TRUE(std::all_of(ui.bookmarksDuringConfirm.begin(), ui.bookmarksDuringConfirm.end(),
        [](const std::vector<std::size_t>& rows) { return rows.empty(); }))
        << "bookmarks for a confirmation that never came";

    // Re-analysed with Да to everything, no line gets a second tag for a document it is linked to
    // already (equal tags with at most one other line between), and the tags held count as there.
    const int held[] = { document->orvoMaker.nExistingTags + document->orvoMaker.nPlacedTags,
        document->innerMaker.nExistingTags + document->innerMaker.nPlacedTags };
    ui.yesToAll = true;
    document->OnReanalyse();
    EXPECT_EQ(document->orvoMaker.nExistingTags, held[0]);
    EXPECT_EQ(document->innerMaker.nExistingTags, held[1]);
    const std::vector<std::string>& texts = ui.viewTexts;
    for (std::size_t a = 0; a < texts.size(); ++a)
        for (std::size_t b = a + 1, others = 0; b < texts.size() && others < 2 && IsTagLine(texts[a]); ++b) {
            EXPECT_FALSE(IsTagLine(texts[b]) && IsOrvoTagLine(texts[a]) == IsOrvoTagLine(texts[b])
                && ParseTagNumber(texts[a]) == ParseTagNumber(texts[b]))
                << "rows " << a << " and " << b;
            others += !IsTagLine(texts[b]);
        }
}

// The notation must say exactly what the file holds, or every case would compare the wrong bytes.
TEST(GoldenFlowNotation, MeansTheBytesOfTheFile)
{
    std::string error;
    EXPECT_EQ(NotationTo866("\\x04\\x04СС_НУЛ_7_LAW#\\-\n", error),
        "\x04\x04\x91\x91_\x8D\x93\x8B_7_LAW#" + std::string(66 - 15, '-') + "\r\n");
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(NotationTo866("┌─┬┐│├┼┤└┴┘ Ёё\\\\\n", error),
        "\xDA\xC4\xC2\xBF\xB3\xC3\xC5\xB4\xC0\xC1\xD9 \xF0\xF1\\\r\n");
    EXPECT_EQ(LineToNotation("\x01\xAF\xE0\xA8\xAA\xA0\xA7\x02\xB3\\"), "\\x01приказ\\x02│\\\\");

    const std::string tooLong = "\\x04\\x04" + std::string(64, 'a') + "\\-";
    for (const std::string& wrong : { std::string("\\q"), std::string("\\x4"), std::string("ab\\-c"),
             std::string("«»"), tooLong }) {
        error.clear();
        NotationTo866(wrong, error);
        EXPECT_FALSE(error.empty()) << wrong;
    }
}

TEST(GoldenFlowNotation, CasesAreFound) { EXPECT_FALSE(DiscoverCases().empty()) << TELVARION_FLOW_CASES; }

} // namespace
