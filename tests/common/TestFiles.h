#pragma once
// Files for tests, the same on the host and under Windows: a scratch folder for each test,
// whole files read and written, and long texts whose every position shows.

#include <cstddef>
#include <filesystem>
#include <string>

namespace vesmo_test {

// A fresh folder in the system's temporary folder, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const char* name) const;
    // The file's bytes; empty when it does not exist (see Exists).
    std::string Read(const char* name) const;
    bool Exists(const char* name) const;
    void Write(const char* name, const std::string& bytes) const;

private:
    std::string m_path;
};

// A file's bytes; empty when it does not exist.
std::string ReadBytes(const std::filesystem::path& path);
// Creates the file, or replaces what it held, with these bytes.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// "0123456789" repeated and cut to 'length': a long text whose every position can be told
// apart by where it is cut.
std::string Digits(std::size_t length);
// "abc...z" repeated and cut to 'length', the same where digits will not do.
std::string SmallLetters(std::size_t length);

}  // namespace vesmo_test
