// Build-time packer of the language archive. Reads the archive's source files (UTF-8, any line
// ends), replaces ${NAME} placeholders by the values given with --define, joins the segments
// into the archive text (UTF-16 LE with byte-order mark, CR LF line ends, segments separated by
// "##" marks), compresses it with LZARI and writes the start marker, the payload and the end
// marker. It decodes its own result again and refuses to write anything that does not read back.
//
//   orbelin_archive_packer --run OUT --text OUT [--define NAME=VALUE ...]
//       --preamble FILE --header FILE --licence FILE --licence FILE --section FILE ...
//
// ${TAB} stands for a TAB character. --text receives the archive text itself, for tests. The first line of each section
// file is the section's name line: a name, a TAB and a second name.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "lang/archive_container.h"
#include "lang/lzari_decoder.h"
#include "lzari_encoder.h"

namespace {

struct Segment {
    std::string kind;
    std::string path;
};

bool Fail(const std::string& message) {
    std::fprintf(stderr, "orbelin_archive_packer: %s\n", message.c_str());
    return false;
}

bool ReadFile(const std::string& path, std::string& content) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail("cannot read " + path);
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.good() ? true : Fail("cannot write " + path);
}

// Strict UTF-8 to code points: no overlong forms, no surrogates, nothing above U+10FFFF.
bool DecodeUtf8(const std::string& bytes, std::u32string& text, const std::string& path) {
    text.clear();
    size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t point = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, point = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, point = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, point = lead & 0x07, minimum = 0x10000;
        } else {
            return Fail(path + ": invalid UTF-8 at byte " + std::to_string(i));
        }
        if (i + extra >= bytes.size()) {
            return Fail(path + ": truncated UTF-8 at byte " + std::to_string(i));
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return Fail(path + ": invalid UTF-8 at byte " + std::to_string(i));
            point = point << 6 | (next & 0x3F);
        }
        if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return Fail(path + ": invalid UTF-8 at byte " + std::to_string(i));
        }
        text.push_back(point);
        i += 1 + extra;
    }
    return true;
}

// Lines end in CR LF, the last one too.
std::u32string WithCrLfLines(const std::u32string& text) {
    std::u32string result;
    for (char32_t point : text) {
        if (point == U'\r') continue;
        if (point == U'\n') result += U'\r';
        result += point;
    }
    if (!result.empty() && result.back() != U'\n') result += U"\r\n";
    return result;
}

bool ReplacePlaceholders(std::u32string& text, const std::map<std::u32string, std::u32string>& values,
                         const std::string& path) {
    std::u32string result;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, U"${") != 0) {
            result += text[i++];
            continue;
        }
        const size_t close = text.find(U'}', i);
        const auto value =
            close == std::u32string::npos ? values.end() : values.find(text.substr(i + 2, close - i - 2));
        if (value == values.end()) return Fail(path + ": unknown placeholder at character " + std::to_string(i));
        result += value->second;
        i = close + 1;
    }
    text = result;
    return true;
}

std::u32string FromAscii(const std::string& text) { return std::u32string(text.begin(), text.end()); }

std::vector<uint8_t> Utf16LeBytes(const std::u32string& text) {
    std::vector<uint8_t> bytes;
    auto put = [&](char32_t unit) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8 & 0xFF));
    };
    for (char32_t point : text) {
        if (point >= 0x10000) {
            put(0xD800 + ((point - 0x10000) >> 10));
            put(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            put(point);
        }
    }
    return bytes;
}

size_t CountOf(const std::vector<uint8_t>& bytes, const std::string& pattern) {
    size_t count = 0;
    for (size_t i = 0; i + pattern.size() <= bytes.size(); ++i) {
        if (std::equal(pattern.begin(), pattern.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i))) ++count;
    }
    return count;
}

bool BuildText(const std::vector<Segment>& segments, const std::map<std::u32string, std::u32string>& values,
               std::u32string& text) {
    text = U"\uFEFF";
    for (size_t index = 0; index < segments.size(); ++index) {
        const Segment& segment = segments[index];
        std::string bytes;
        std::u32string content;
        if (!ReadFile(segment.path, bytes) || !DecodeUtf8(bytes, content, segment.path)) return false;
        content = WithCrLfLines(content);
        if (!ReplacePlaceholders(content, values, segment.path)) return false;
        // A "##" inside a file would start a segment of its own.
        if (content.find(U"##") != std::u32string::npos) return Fail(segment.path + ": contains \"##\"");
        if (segment.kind == "preamble") {
            if (index != 0) return Fail("the preamble must come first");
            text += content;
        } else if (segment.kind == "section") {
            const size_t nameEnd = content.find(U'\r');
            const size_t tab = content.find(U'\t');
            if (nameEnd == std::u32string::npos || tab == std::u32string::npos || tab > nameEnd) {
                return Fail(segment.path + ": the first line must be \"name TAB second name\"");
            }
            text += U"##=" + content;
        } else {
            text += U"##\r\n" + content;
        }
    }
    // The closing mark opens one more, nameless and empty, section.
    text += U"##\r\n\r\n\r\n\r\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string runPath;
    std::string textPath;
    // ${TAB} keeps TAB characters visible in the source files.
    std::map<std::u32string, std::u32string> values = {{U"TAB", U"\t"}};
    std::vector<Segment> segments;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string argument = argv[i + 1];
        if (option == "--run") {
            runPath = argument;
        } else if (option == "--text") {
            textPath = argument;
        } else if (option == "--define") {
            const size_t equals = argument.find('=');
            if (equals == std::string::npos) return Fail("--define needs NAME=VALUE"), 2;
            std::u32string value;
            if (!DecodeUtf8(argument.substr(equals + 1), value, "--define")) return 2;
            values[FromAscii(argument.substr(0, equals))] = value;
        } else if (option == "--preamble" || option == "--header" || option == "--licence" || option == "--section") {
            segments.push_back({option.substr(2), argument});
        } else {
            return Fail("unknown option " + option), 2;
        }
    }
    if (argc % 2 == 0 || runPath.empty() || segments.empty())
        return Fail("usage: see the head of archive_packer.cpp"), 2;

    std::u32string text;
    if (!BuildText(segments, values, text)) return 1;
    const std::vector<uint8_t> textBytes = Utf16LeBytes(text);
    const std::vector<uint8_t> payload = EncodeLzari(textBytes);
    if (payload.empty() || textBytes.size() > kMaxArchiveTextSize) return Fail("the archive text is too large"), 1;

    LZARI decoder(payload.data(), payload.size());
    std::vector<uint8_t> decoded(textBytes.size() + 2);
    decoder.Decode(decoded.data(), decoded.size());
    decoded.resize(textBytes.size());
    if (decoded != textBytes) return Fail("the compressed archive does not decode to its text"), 1;

    const std::string startMarker = ArchiveStartMarker();
    const std::string endMarker = ArchiveEndMarker();
    std::vector<uint8_t> run(startMarker.begin(), startMarker.end());
    run.insert(run.end(), payload.begin(), payload.end());
    run.insert(run.end(), endMarker.begin(), endMarker.end());
    if (CountOf(run, startMarker) != 1 || CountOf(run, endMarker) != 1) {
        return Fail("the payload happens to contain a marker"), 1;
    }

    if (!WriteFile(runPath, run)) return 1;
    if (!textPath.empty() && !WriteFile(textPath, textBytes)) return 1;
    std::printf("language archive: text %zu bytes, payload %zu bytes\n", textBytes.size(), payload.size());
    return 0;
}
