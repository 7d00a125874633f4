#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace brindle::testing {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes. Paths given to createFiles are relative to it; a path ending
// with '/' makes a folder, anything else a file (with its folders).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a UTF-16 path ending with '/', as the batch wants it.
    std::u16string folder() const;
    std::u16string folder(const std::string& relative) const;

    void createFiles(std::initializer_list<std::string> relativePaths) const;
    void createFile(const std::string& relative, const std::string& contents = {}) const;
    std::string readFile(const std::string& relative) const;
    bool exists(const std::string& relative) const;

    // Relative paths of everything below the folder ("sub/" for folders), sorted.
    std::vector<std::string> listing() const;

private:
    std::filesystem::path path_;
};

}  // namespace brindle::testing
