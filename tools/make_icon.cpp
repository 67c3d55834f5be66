// make_icon: turns an XPM picture drawn in the 16 standard Windows colours into a Windows
// icon file holding that one picture as a 4-bit image.
//
//   make_icon picture.xpm icon.ico
//
// Pixels whose colour is "None" are transparent. Any other colour must be exactly one of
// the 16 palette colours: the tool refuses the picture rather than guess a nearest colour.

#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The standard 16-colour Windows palette as 0xRRGGBB, in palette order.
constexpr std::array<std::uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr int kTransparent = -1;
constexpr int kMaxSide = 256;  // the largest side an icon directory entry can describe

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<int> pixels;  // palette index or kTransparent, top row first
};

// The contents of every string literal of the C source, in order; comments are skipped.
std::vector<std::string> StringLiterals(const std::string& source) {
    std::vector<std::string> literals;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source.compare(i, 2, "/*") == 0) {
            const std::size_t end = source.find("*/", i + 2);
            if (end == std::string::npos) throw std::runtime_error("unterminated comment");
            i = end + 1;
        } else if (source[i] == '"') {
            std::string text;
            for (++i; i < source.size() && source[i] != '"'; ++i) {
                if (source[i] == '\\' && i + 1 < source.size()) ++i;
                text += source[i];
            }
            if (i == source.size()) throw std::runtime_error("unterminated string");
            literals.push_back(std::move(text));
        }
    }
    return literals;
}

int PaletteIndex(const std::string& colour) {
    std::string lower;
    for (unsigned char c : colour) lower += static_cast<char>(std::tolower(c));
    if (lower == "none") return kTransparent;
    const bool isHex = lower.size() == 7 && lower[0] == '#' &&
                       lower.find_first_not_of("0123456789abcdef", 1) == std::string::npos;
    if (isHex) {
        const auto rgb = static_cast<std::uint32_t>(std::stoul(lower.substr(1), nullptr, 16));
        for (std::size_t index = 0; index < kPalette.size(); ++index) {
            if (kPalette[index] == rgb) return static_cast<int>(index);
        }
    }
    throw std::runtime_error("colour \"" + colour + "\" is not one of the 16 standard colours");
}

Picture ParseXpm(const std::string& source) {
    const std::vector<std::string> literals = StringLiterals(source);
    if (literals.empty()) throw std::runtime_error("no XPM header");

    Picture picture;
    int colours = 0;
    int charsPerPixel = 0;
    std::istringstream header(literals[0]);
    if (!(header >> picture.width >> picture.height >> colours >> charsPerPixel) ||
        picture.width < 1 || picture.width > kMaxSide || picture.height < 1 ||
        picture.height > kMaxSide || colours < 1 || charsPerPixel < 1) {
        throw std::runtime_error("bad XPM header \"" + literals[0] + "\"");
    }
    const auto needed = static_cast<std::size_t>(1 + colours + picture.height);
    if (literals.size() < needed) throw std::runtime_error("the picture is cut short");

    const auto keyLength = static_cast<std::size_t>(charsPerPixel);
    std::map<std::string, int> indexOfKey;
    for (int i = 1; i <= colours; ++i) {
        const std::string& line = literals[static_cast<std::size_t>(i)];
        if (line.size() < keyLength) throw std::runtime_error("bad colour line \"" + line + "\"");
        std::istringstream words(line.substr(keyLength));
        std::string word;
        std::string colour;
        while (words >> word) {
            if (word == "c" && words >> colour) break;
        }
        if (colour.empty()) throw std::runtime_error("no colour in \"" + line + "\"");
        if (!indexOfKey.emplace(line.substr(0, keyLength), PaletteIndex(colour)).second) {
            throw std::runtime_error("colour key defined twice in \"" + line + "\"");
        }
    }

    for (int y = 0; y < picture.height; ++y) {
        const std::string& row = literals[static_cast<std::size_t>(1 + colours + y)];
        if (row.size() != keyLength * static_cast<std::size_t>(picture.width)) {
            throw std::runtime_error("row " + std::to_string(y + 1) + " has the wrong length");
        }
        for (std::size_t at = 0; at < row.size(); at += keyLength) {
            const auto found = indexOfKey.find(row.substr(at, keyLength));
            if (found == indexOfKey.end()) {
                throw std::runtime_error("row " + std::to_string(y + 1) +
                                         " uses an undefined colour key");
            }
            picture.pixels.push_back(found->second);
        }
    }
    return picture;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Bytes per bitmap row: rows are padded to whole 32-bit words.
unsigned RowBytes(int width, int bitsPerPixel) {
    return static_cast<unsigned>((width * bitsPerPixel + 31) / 32 * 4);
}

// An icon file with one image: the icon directory and its one entry, then the image as a
// 4-bit BITMAPINFOHEADER bitmap whose height counts the colour and the mask bitmaps
// together, the palette, the colour bitmap and the transparency mask, both bottom row first.
std::vector<std::uint8_t> IconFile(const Picture& picture) {
    constexpr unsigned kDirectorySize = 6 + 16;
    constexpr unsigned kInfoHeaderSize = 40;
    const unsigned colourRow = RowBytes(picture.width, 4);
    const unsigned maskRow = RowBytes(picture.width, 1);
    const auto height = static_cast<unsigned>(picture.height);
    const unsigned bitmapsSize = (colourRow + maskRow) * height;
    const unsigned imageSize =
        kInfoHeaderSize + 4 * static_cast<unsigned>(kPalette.size()) + bitmapsSize;

    std::vector<std::uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // resource type: icon
    Put16(out, 1);  // image count
    out.push_back(static_cast<std::uint8_t>(picture.width % kMaxSide));  // 256 is written 0
    out.push_back(static_cast<std::uint8_t>(picture.height % kMaxSide));
    out.push_back(static_cast<std::uint8_t>(kPalette.size()));
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 4);     // bits per pixel
    Put32(out, imageSize);
    Put32(out, kDirectorySize);

    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(picture.width));
    Put32(out, 2 * height);
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, 0);  // BI_RGB
    Put32(out, bitmapsSize);
    Put32(out, 0);  // horizontal resolution
    Put32(out, 0);  // vertical resolution
    Put32(out, 0);  // colours used: all 16
    Put32(out, 0);  // important colours: all
    for (std::uint32_t rgb : kPalette) {
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        out.push_back(0);
    }

    const auto pixelAt = [&picture](int x, int y) {
        return picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
    };
    for (int y = picture.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourRow, 0);
        for (int x = 0; x < picture.width; ++x) {
            const int index = pixelAt(x, y);
            // Transparent pixels are black in the colour bitmap so the mask alone shows.
            const int nibble = index == kTransparent ? 0 : index;
            row[static_cast<std::size_t>(x / 2)] |=
                static_cast<std::uint8_t>(x % 2 == 0 ? nibble << 4 : nibble);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < picture.width; ++x) {
            if (pixelAt(x, y) == kTransparent) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_icon picture.xpm icon.ico\n";
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    try {
        std::ifstream in(input, std::ios::binary);
        if (!in) throw std::runtime_error("cannot open it");
        const std::string source{std::istreambuf_iterator<char>(in), {}};
        const std::vector<std::uint8_t> icon = IconFile(ParseXpm(source));

        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(icon.data()),
                  static_cast<std::streamsize>(icon.size()));
        out.close();
        if (!out) {
            std::cerr << "make_icon: " << output << ": cannot write it\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "make_icon: " << input << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
