#include "TempFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/NameCodec.h"

namespace brindle::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "brindle-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Tests make folders read-only; give the owner write access back first.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink())
            chmod(it->path().c_str(), 0700);
    }
    chmod(path_.c_str(), 0700);
    fs::remove_all(path_, ec);
}

std::u16string TempFolder::folder() const {
    return DecodeName(path_.string() + "/");
}

std::u16string TempFolder::folder(const std::string& relative) const {
    std::string text = (path_ / relative).string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return DecodeName(text);
}

void TempFolder::createFiles(std::initializer_list<std::string> relativePaths) const {
    for (const auto& relative : relativePaths)
        createFile(relative);
}

void TempFolder::createFile(const std::string& relative, const std::string& contents) const {
    const fs::path full = path_ / relative;
    if (!relative.empty() && relative.back() == '/') {
        fs::create_directories(full);
        return;
    }
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + full.string());
}

std::string TempFolder::readFile(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempFolder::exists(const std::string& relative) const {
    std::error_code ec;
    return fs::symlink_status(path_ / relative, ec).type() != fs::file_type::not_found && !ec;
}

std::vector<std::string> TempFolder::listing() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string relative = it->path().lexically_relative(path_).string();
        if (it->is_directory() && !it->is_symlink())
            relative += '/';
        names.push_back(relative);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace brindle::testing
