// The floor of the rename benchmark: the least a program can do for the same job. It
// lists one folder and gives each file its lower-case name with renameat2, never
// overwriting, and does nothing else.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const int folder = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = folder >= 0 ? fdopendir(dup(folder)) : nullptr;
    if (!listing) {
        perror(argv[1]);
        return 2;
    }
    // Collected first, as the batch does: a renamed entry must not be met again.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_type == DT_REG)
            names.emplace_back(entry->d_name);
    }
    closedir(listing);

    int failures = 0;
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
    close(folder);
    return failures == 0 ? 0 : 1;
}
