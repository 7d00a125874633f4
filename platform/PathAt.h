#pragma once

#include <string>
#include <string_view>

namespace brindle::detail {

// Where a path is reached for the *at system calls. A path the kernel takes at once is
// passed whole, relative to the current directory; a longer one is walked in pieces
// that each fit, through directory descriptors opened with the kernel's own lookup (so
// symbolic links inside the path are followed exactly as for a short path), and only its
// last piece is left for the call.
class PathAt {
public:
    explicit PathAt(std::u16string_view path);
    explicit PathAt(std::string bytes);
    ~PathAt();
    PathAt(const PathAt&) = delete;
    PathAt& operator=(const PathAt&) = delete;

    // 0, or the errno of the failure to reach the path's folder; when not 0, dir() and
    // name() must not be used.
    int error() const { return error_; }
    int dir() const { return dir_; }
    const char* name() const { return name_.c_str(); }

private:
    void Resolve(std::string bytes);

    int dir_;
    bool ownsDir_ = false;
    int error_ = 0;
    std::string name_;
};

}  // namespace brindle::detail
