#include "config/profile_document.h"

#include <stdexcept>

#include "common/text.h"

namespace ferrolin {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The name inside "[...]" when the line is a section header.
std::optional<std::string_view> SectionHeaderName(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

// Position of the "=" when the line is a setting with a non-empty key.
size_t SettingEquals(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';' || t.front() == '#') return std::string::npos;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos || Trim(text.substr(0, eq)).empty()) return std::string::npos;
    return eq;
}

void CheckName(std::string_view name, const char* what) {
    bool bad = name.empty() || name != Trim(name) ||
               name.find_first_of("=[]\r\n") != std::string_view::npos;
    if (bad) throw std::invalid_argument(std::string("invalid profile ") + what + " name");
}

}  // namespace

void ProfileDocument::Section::IndexKeys() {
    keys.clear();
    for (size_t i = 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.equals == std::string::npos) continue;
        keys.emplace(AsciiLower(Trim(std::string_view(line.text).substr(0, line.equals))), i);
    }
}

void ProfileDocument::IndexSections() {
    sectionIndex_.clear();
    for (size_t i = 0; i < sections_.size(); ++i) {
        sectionIndex_.emplace(AsciiLower(sections_[i].name), i);
    }
}

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view text) {
    ProfileDocument doc;
    // Windows editors start a UTF-8 file with a byte-order mark; it is not part of the
    // first section's name, and a write gives the file back with it.
    if (text.substr(0, 3) == kByteOrderMark) {
        text.remove_prefix(3);
        doc.byteOrderMark_ = true;
    }
    bool eolChosen = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        Line line;
        if (nl == std::string_view::npos) {
            // A last line may end in a lone CR: the start of a CR LF that was cut off.
            std::string_view rest = text.substr(pos);
            if (!rest.empty() && rest.back() == '\r') {
                rest.remove_suffix(1);
                line.eol = "\r";
            }
            line.text = std::string(rest);
            pos = text.size();
        } else {
            size_t end = nl;
            // One assignment: two in a row make gcc 12 at -O3 warn falsely
            // (-Wmaybe-uninitialized inside std::string).
            const bool crlf = end > pos && text[end - 1] == '\r';
            if (crlf) --end;
            line.eol = crlf ? "\r\n" : "\n";
            line.text = std::string(text.substr(pos, end - pos));
            pos = nl + 1;
        }
        if (!eolChosen && nl != std::string_view::npos) {
            doc.eol_ = line.eol;
            eolChosen = true;
        }
        if (auto name = SectionHeaderName(line.text)) {
            Section section;
            section.name = std::string(*name);
            section.lines.push_back(std::move(line));
            doc.sections_.push_back(std::move(section));
            continue;
        }
        line.equals = SettingEquals(line.text);
        if (doc.sections_.empty()) {
            doc.preamble_.push_back(std::move(line));
        } else {
            doc.sections_.back().lines.push_back(std::move(line));
        }
    }
    for (Section& section : doc.sections_) section.IndexKeys();
    doc.IndexSections();
    return doc;
}

std::string ProfileDocument::Text() const {
    size_t size = 0;
    auto count = [&size](const std::vector<Line>& lines) {
        for (const Line& line : lines) size += line.text.size() + 2;
    };
    count(preamble_);
    for (const Section& section : sections_) count(section.lines);

    std::string out;
    out.reserve(size + 3);
    if (byteOrderMark_) out = kByteOrderMark;
    // Only the very last line may go without a complete ending; a line that lost that
    // place because something was added after it gets one.
    std::string_view pendingEnding;
    auto append = [&](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            out += pendingEnding;
            out += line.text;
            out += line.eol;
            if (line.eol.empty()) {
                pendingEnding = eol_;
            } else if (line.eol == "\r") {
                pendingEnding = "\n";
            } else {
                pendingEnding = {};
            }
        }
    };
    append(preamble_);
    for (const Section& section : sections_) append(section.lines);
    return out;
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) const {
    auto it = sectionIndex_.find(AsciiLower(section));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) {
    auto it = sectionIndex_.find(AsciiLower(section));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string_view> ProfileDocument::Find(std::string_view section,
                                                      std::string_view key) const {
    const Section* s = FindSection(section);
    if (s == nullptr) return std::nullopt;
    auto it = s->keys.find(AsciiLower(key));
    if (it == s->keys.end()) return std::nullopt;
    const Line& line = s->lines[it->second];
    return Trim(std::string_view(line.text).substr(line.equals + 1));
}

bool ProfileDocument::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < sections_.size(); ++i) {
        auto it = sectionIndex_.find(AsciiLower(sections_[i].name));
        if (it != sectionIndex_.end() && it->second == i) names.push_back(sections_[i].name);
    }
    return names;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* s = FindSection(section);
    if (s == nullptr) return names;
    for (size_t i = 1; i < s->lines.size(); ++i) {
        const Line& line = s->lines[i];
        if (line.equals == std::string::npos) continue;
        std::string_view key = Trim(std::string_view(line.text).substr(0, line.equals));
        auto it = s->keys.find(AsciiLower(key));
        if (it != s->keys.end() && it->second == i) names.emplace_back(key);
    }
    return names;
}

void ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    CheckName(section, "section");
    CheckName(key, "key");
    std::string clean(value);
    for (char& c : clean) {
        if (c == '\r' || c == '\n') c = ' ';
    }

    Section* s = FindSection(section);
    if (s == nullptr) {
        Section added;
        added.name = std::string(section);
        added.lines.push_back(Line{"[" + added.name + "]", eol_, std::string::npos});
        sections_.push_back(std::move(added));
        sectionIndex_.emplace(AsciiLower(section), sections_.size() - 1);
        s = &sections_.back();
    }

    auto it = s->keys.find(AsciiLower(key));
    if (it != s->keys.end()) {
        Line& line = s->lines[it->second];
        line.text.resize(line.equals + 1);
        line.text += clean;
        return;
    }
    // A new key goes after the section's last non-blank line, so blank lines that
    // separate it from the next section stay where they are.
    size_t at = s->lines.size();
    while (at > 1 && Trim(s->lines[at - 1].text).empty()) --at;
    Line line{std::string(key) + "=" + clean, eol_, key.size()};
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    s->IndexKeys();
}

bool ProfileDocument::EraseSection(std::string_view section) {
    const std::string wanted = AsciiLower(section);
    size_t before = sections_.size();
    std::erase_if(sections_, [&](const Section& s) { return AsciiLower(s.name) == wanted; });
    if (sections_.size() == before) return false;
    IndexSections();
    return true;
}

bool ProfileDocument::EraseKey(std::string_view section, std::string_view key) {
    Section* s = FindSection(section);
    if (s == nullptr) return false;
    auto it = s->keys.find(AsciiLower(key));
    if (it == s->keys.end()) return false;
    s->lines.erase(s->lines.begin() + static_cast<std::ptrdiff_t>(it->second));
    s->IndexKeys();
    return true;
}

bool ProfileDocument::RenameSection(std::string_view from, std::string_view to) {
    CheckName(to, "section");
    const std::string wanted = AsciiLower(from);
    if (AsciiLower(to) != wanted && FindSection(to) != nullptr) {
        throw std::invalid_argument("profile section " + std::string(to) + " exists already");
    }
    bool renamed = false;
    for (Section& s : sections_) {
        if (AsciiLower(s.name) != wanted) continue;
        // Keep what surrounds the name in the header ("  [Kopf3]  ; note").
        std::string& header = s.lines.front().text;
        const size_t open = header.find('[');
        const size_t close = header.find(']', open);
        header.replace(open + 1, close - open - 1, to);
        s.name = std::string(to);
        renamed = true;
    }
    if (renamed) IndexSections();
    return renamed;
}

std::vector<ProfileDocument::LineView> ProfileDocument::Lines() const {
    std::vector<LineView> views;
    size_t number = 0;
    auto describe = [&](const Line& line, const Section* section, size_t index) {
        LineView v;
        v.number = ++number;
        if (section != nullptr) v.section = section->name;
        const std::string_view text = Trim(line.text);
        if (section != nullptr && index == 0) {
            v.kind = LineView::Kind::Section;
            v.inForce = FindSection(section->name) == section;
        } else if (line.equals != std::string::npos) {
            v.kind = LineView::Kind::Setting;
            v.key = Trim(std::string_view(line.text).substr(0, line.equals));
            v.value = Trim(std::string_view(line.text).substr(line.equals + 1));
            if (section != nullptr && FindSection(section->name) == section) {
                auto it = section->keys.find(AsciiLower(v.key));
                v.inForce = it != section->keys.end() && it->second == index;
            }
        } else if (text.empty()) {
            v.kind = LineView::Kind::Blank;
        } else if (text.front() == ';' || text.front() == '#') {
            v.kind = LineView::Kind::Comment;
        } else {
            v.kind = LineView::Kind::Other;
        }
        views.push_back(v);
    };
    for (size_t i = 0; i < preamble_.size(); ++i) describe(preamble_[i], nullptr, i);
    for (const Section& section : sections_) {
        for (size_t i = 0; i < section.lines.size(); ++i) describe(section.lines[i], &section, i);
    }
    return views;
}

size_t ProfileDocument::LineOf(std::string_view section, std::string_view key) const {
    const LineView::Kind wanted = key.empty() ? LineView::Kind::Section : LineView::Kind::Setting;
    for (const LineView& line : Lines()) {
        if (line.kind == wanted && line.inForce && EqualsIgnoreAsciiCase(line.section, section) &&
            (key.empty() || EqualsIgnoreAsciiCase(line.key, key)))
            return line.number;
    }
    return 0;
}

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && text.front() == '$') {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;

    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) return std::nullopt;
    }
    // Hexadecimal digits are a 32-bit pattern; negation wraps like the machine does.
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

}  // namespace ferrolin
