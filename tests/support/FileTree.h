#pragma once

// Trees of files read back whole, compared, handed to the ordinary user and removed, at
// any depth: they are walked through folder descriptors, never by whole paths. And single
// files written and read by path.

#include <map>
#include <string>
#include <vector>

namespace brindle::testing {

// Everything below a folder: relative path -> "file:" + contents, "folder:", or
// "link:" + target.
using Tree = std::map<std::string, std::string>;

// Without `contents`, files read as "file:" alone.
Tree ReadTree(const std::string& root, bool contents = true);

// The first differences between two trees, one line each, for a failure message that
// stays short on big trees.
std::string Differences(const Tree& expected, const Tree& actual, int limit = 12);

// A tree's entries in their order as "path=contents" for files, "path/" for folders and
// "path -> target" for links.
std::vector<std::string> Listing(const Tree& tree);

// Hands the folder and everything below it to the ordinary user when running as root, so
// that a child running as that user meets only the faults the test makes.
void GiveToOrdinaryUser(const std::string& root);

// Removes everything below `fd`, whatever the depth (the temporary folder's own clean-up
// goes by whole paths).
void RemoveBelow(int fd);

void WriteFile(const std::string& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace brindle::testing
