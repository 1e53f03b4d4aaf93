#pragma once
// The text of a profile (INI) file held in memory: sections in brackets, "key=value"
// lines, section and key names matched without regard to case. Every line that is not
// touched by an edit keeps its bytes, its line ending and its place, including comments,
// blank lines and lines that are neither a section nor a setting.
//
// Reads see the first section of a name and, inside it, the first line of a key; writes
// change that same line. Looking up a key costs a hash lookup, so reading thousands of
// job sections from one document stays cheap.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ferrolin {

class ProfileDocument {
  public:
    ProfileDocument() = default;

    // Splits text into lines at LF (a CR before it belongs to the line ending). Never fails:
    // any bytes make some document.
    static ProfileDocument Parse(std::string_view text);

    // The whole text again: untouched lines byte for byte.
    std::string Text() const;

    // The value of key in section, without surrounding blanks; nullopt when absent.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // Names of the sections in file order (each name once, as first written).
    std::vector<std::string> SectionNames() const;
    // Names of the keys of the first section of that name, in file order, each once.
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Sets one key. An existing line keeps its key spelling and everything up to the "=";
    // a new key goes after the last non-blank line of the section; a new section goes at
    // the end. CR and LF in value would split the line, so they are written as blanks.
    // Names must be non-empty and free of "=", "[", "]", CR, LF and surrounding blanks
    // (std::invalid_argument otherwise).
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name with all its lines. False when there was none.
    bool EraseSection(std::string_view section);
    // Removes the key's line (the one reads see). False when there was none.
    bool EraseKey(std::string_view section, std::string_view key);
    // Gives every section named from the name to, keeping its lines and place. False when
    // there was none. std::invalid_argument for a name Set refuses, or when a section
    // named to exists already (two sections would become one).
    bool RenameSection(std::string_view from, std::string_view to);

    // Every line as reports about the file see it, numbered from 1 in file order.
    struct LineView {
        enum class Kind { Blank, Comment, Section, Setting, Other };
        Kind kind = Kind::Blank;
        size_t number = 0;
        std::string_view section;  // the section the line is in ("" before the first)
        std::string_view key;      // Setting: the key as written, without blanks
        std::string_view value;    // Setting: as Find gives it
        // Section: the first section of its name; Setting: the line reads see.
        bool inForce = false;
    };
    // Views into this document: valid until it changes or goes.
    std::vector<LineView> Lines() const;
    // The number of the line reads of that key see, or of the section's header when key
    // is empty; 0 when there is none.
    size_t LineOf(std::string_view section, std::string_view key = {}) const;

  private:
    struct Line {
        std::string text;  // without the line ending
        std::string eol;   // "\n", "\r\n"; a last line may have "" or a lone "\r"
        // Position of the "=" of a setting line, npos for anything else.
        size_t equals = std::string::npos;
    };
    struct Section {
        std::string name;                              // as written in the header
        std::vector<Line> lines;                       // the header line first, then the body
        std::unordered_map<std::string, size_t> keys;  // lower-case key -> first line
        void IndexKeys();
    };

    Section* FindSection(std::string_view section);
    const Section* FindSection(std::string_view section) const;
    void IndexSections();
    const std::string& NewLineEnding() const { return eol_; }

    std::vector<Line> preamble_;  // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_;  // lower-case name -> first
    std::string eol_ = "\n";                                // ending of lines this document adds
    bool byteOrderMark_ = false;  // the file began with a UTF-8 byte-order mark, kept on write
};

// The profile-file reading of a number: optional sign, then decimal digits, or "$" / "0x"
// followed by up to eight hexadecimal digits (taken as a 32-bit pattern, so "$FFFFFFFF" is
// -1). nullopt for anything else, including decimal values outside the 32-bit range.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

}  // namespace ferrolin
