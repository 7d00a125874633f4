#include "FileTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "OrdinaryUser.h"

namespace brindle::testing {

namespace {

// The names in the folder, without "." and ".."; nothing when it cannot be listed.
std::optional<std::vector<std::string>> NamesIn(int fd) {
    const int listed = dup(fd);
    DIR* dir = listed < 0 ? nullptr : fdopendir(listed);
    if (!dir) {
        if (listed >= 0)
            close(listed);
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

void ReadTreeAt(int fd, const std::string& prefix, Tree& tree, bool contents) {
    const auto names = NamesIn(fd);
    if (!names) {
        tree[prefix + "?"] = "unreadable";
        return;
    }
    for (const std::string& name : *names) {
        const std::string path = prefix + name;
        struct stat info {};
        if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            tree[path] = "vanished";
        } else if (S_ISDIR(info.st_mode)) {
            tree[path + "/"] = "folder:";
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child < 0) {
                tree[path + "/?"] = "unreadable";
                continue;
            }
            ReadTreeAt(child, path + "/", tree, contents);
            close(child);
        } else if (S_ISLNK(info.st_mode)) {
            std::string target(4096, '\0');
            const ssize_t length = readlinkat(fd, name.c_str(), target.data(), target.size());
            target.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
            tree[path] = "link:" + target;
        } else if (S_ISREG(info.st_mode) && !contents) {
            tree[path] = "file:";
        } else if (S_ISREG(info.st_mode)) {
            const int file = openat(fd, name.c_str(), O_RDONLY | O_NOFOLLOW);
            tree[path] = file < 0 ? "file?" : "file:" + ReadAll(file);
            if (file >= 0)
                close(file);
        } else {
            tree[path] = "other:";
        }
    }
}

void GiveAwayAt(int fd) {
    if (fchown(fd, kOrdinaryUser, kOrdinaryGroup) != 0)
        throw std::runtime_error("cannot hand a folder to the ordinary user");
    for (const std::string& name : NamesIn(fd).value_or(std::vector<std::string>{})) {
        if (fchownat(fd, name.c_str(), kOrdinaryUser, kOrdinaryGroup, AT_SYMLINK_NOFOLLOW) != 0)
            throw std::runtime_error("cannot hand " + name + " to the ordinary user");
        const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child >= 0) {
            GiveAwayAt(child);
            close(child);
        }
    }
}

}  // namespace

Tree ReadTree(const std::string& root, bool contents) {
    Tree tree;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return tree;
    ReadTreeAt(fd, "", tree, contents);
    close(fd);
    return tree;
}

std::string Differences(const Tree& expected, const Tree& actual, int limit) {
    std::string text;
    int shown = 0;
    auto note = [&](const std::string& line) {
        if (shown++ < limit)
            text += "  " + line + "\n";
    };
    for (const auto& [path, what] : expected) {
        const auto it = actual.find(path);
        if (it == actual.end())
            note("missing: " + path);
        else if (it->second != what)
            note("changed: " + path + " (" + it->second.substr(0, 60) + ")");
    }
    for (const auto& [path, what] : actual) {
        if (!expected.contains(path))
            note("extra: " + path);
    }
    if (shown > limit)
        text += "  ... " + std::to_string(shown - limit) + " more\n";
    return text;
}

std::vector<std::string> Listing(const Tree& tree) {
    std::vector<std::string> lines;
    for (const auto& [path, what] : tree) {
        if (what.starts_with("file:"))
            lines.push_back(path + "=" + what.substr(5));
        else if (what.starts_with("link:"))
            lines.push_back(path + " -> " + what.substr(5));
        else if (what == "folder:")
            lines.push_back(path);
        else
            lines.push_back(path + " " + what);
    }
    return lines;
}

void GiveToOrdinaryUser(const std::string& root) {
    if (!RunningAsRoot())
        return;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        throw std::runtime_error("cannot open " + root);
    GiveAwayAt(fd);
    close(fd);
}

void RemoveBelow(int fd) {
    for (const std::string& name : NamesIn(fd).value_or(std::vector<std::string>{})) {
        struct stat info {};
        if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            // One that cannot be opened up is left for the clean-up to report.
            if (fchmodat(fd, name.c_str(), 0700, 0) != 0)
                continue;
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                RemoveBelow(child);
                close(child);
            }
        }
        unlinkat(fd, name.c_str(), S_ISDIR(info.st_mode) ? AT_REMOVEDIR : 0);
    }
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = write(fd, rest.data(), rest.size());
        if (written <= 0) {
            close(fd);
            throw std::runtime_error("cannot write " + path);
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    close(fd);
}

std::string ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string bytes = ReadAll(fd);
    close(fd);
    return bytes;
}

}  // namespace brindle::testing
