#pragma once
// Scratch files for the record file tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// A fresh directory for one test, removed with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir()
        : m_path(std::filesystem::temp_directory_path() /
                 ("vesmo-records-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const char* name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Digits 0-9 over and over, so that a cut in the wrong place shows.
inline std::string DigitRun(std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}
