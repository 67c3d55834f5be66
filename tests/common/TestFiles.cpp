#include "TestFiles.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace vesmo_test {

TempDir::TempDir()
{
    static unsigned counter = 0;
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    fs::path path;
    do
        path = base / ("vesmo-test-" + std::to_string(random()) + "-" + std::to_string(++counter));
    while (!fs::create_directory(path));
    m_path = path.string();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Files a test made read-only go as well.
    for (fs::recursive_directory_iterator entry(m_path, ignored), end; entry != end; entry.increment(ignored))
        fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

std::string TempDir::File(const char* name) const
{
    return (fs::path(m_path) / name).string();
}

std::string TempDir::Read(const char* name) const
{
    return ReadBytes(File(name));
}

bool TempDir::Exists(const char* name) const
{
    std::error_code ignored;
    return fs::exists(File(name), ignored);
}

void TempDir::Write(const char* name, const std::string& bytes) const
{
    WriteBytes(File(name), bytes);
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

std::string Repeated(const std::string& cycle, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += cycle[i % cycle.size()];
    return text;
}

}  // namespace

std::string Digits(std::size_t length)
{
    return Repeated("0123456789", length);
}

std::string SmallLetters(std::size_t length)
{
    return Repeated("abcdefghijklmnopqrstuvwxyz", length);
}

}  // namespace vesmo_test
