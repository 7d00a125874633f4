// The floor of the rename benchmark: the least a program can do for the same job. It
// lists one folder (with --subfolders, every folder of a tree, depth first, each opened
// from its parent) and gives each file its lower-case name with renameat2, never
// overwriting, and does nothing else.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

int failures = 0;

void RenameFolder(int folder, bool subfolders) {
    DIR* listing = fdopendir(dup(folder));
    if (!listing) {
        ++failures;
        return;
    }
    // Collected first, as the batch does: a renamed entry must not be met again.
    std::vector<std::string> names;
    std::vector<std::string> folders;
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_type == DT_REG)
            names.emplace_back(entry->d_name);
        else if (subfolders && entry->d_type == DT_DIR && strcmp(entry->d_name, ".") != 0 &&
                 strcmp(entry->d_name, "..") != 0)
            folders.emplace_back(entry->d_name);
    }
    closedir(listing);

    std::string lower;
    for (const std::string& name : names) {
        lower = name;
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        if (lower != name &&
            renameat2(folder, name.c_str(), folder, lower.c_str(), RENAME_NOREPLACE) != 0)
            ++failures;
    }
    for (const std::string& name : folders) {
        const int child =
            openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) {
            ++failures;
            continue;
        }
        RenameFolder(child, true);
        close(child);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool subfolders = argc == 3 && strcmp(argv[1], "--subfolders") == 0;
    if (argc != 2 && !subfolders) {
        fprintf(stderr, "usage: %s [--subfolders] FOLDER\n", argv[0]);
        return 2;
    }
    const char* path = argv[argc - 1];
    const int folder = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        perror(path);
        return 2;
    }
    RenameFolder(folder, subfolders);
    close(folder);
    return failures == 0 ? 0 : 1;
}
