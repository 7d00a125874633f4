#pragma once

// A filesystem of another kind, mounted through FUSE on an image file of the test's own:
// exFAT (exfat-fuse, through a loop device), FAT (fusefat) or NTFS (ntfs-3g). None of
// them takes RENAME_NOREPLACE; exFAT and FAT ignore letter case and give every spelling
// an inode number of its own; NTFS keeps hard links. Mounting needs root, /dev/fuse and
// the Debian packages of the driver and its mkfs; without them `why()` says what is
// missing and the test skips.

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace brindle::testing {

class ForeignFilesystem {
public:
    enum class Kind { ExFat, Fat, Ntfs };

    // Mounted at `folder`/mnt, the image beside it.
    ForeignFilesystem(Kind kind, const std::string& folder) : kind_(kind) {
        root_ = folder + "/mnt";
        image_ = folder + "/fs.img";
        if (geteuid() != 0) {
            why_ = "mounting needs root";
            return;
        }
        if (access("/dev/fuse", R_OK | W_OK) != 0) {
            why_ = "/dev/fuse is missing";
            return;
        }
        if (!Run("mkdir -p '" + root_ + "' && truncate -s 64M '" + image_ + "'")) {
            why_ = "no room for an image";
            return;
        }
        switch (kind) {
            case Kind::ExFat:
                MountExFat();
                break;
            case Kind::Fat:
                if (!Has("mkfs.vfat") || !Has("fusefat")) {
                    why_ = "install Debian's dosfstools and fusefat";
                    return;
                }
                if (Run("mkfs.vfat '" + image_ + "'") &&
                    Run("fusefat -o rw+ '" + image_ + "' '" + root_ + "'")) {
                    mounted_ = true;
                }
                break;
            case Kind::Ntfs:
                if (!Has("mkntfs") || !Has("ntfs-3g")) {
                    why_ = "install Debian's ntfs-3g";
                    return;
                }
                if (Run("mkntfs -F -q '" + image_ + "'") &&
                    Run("ntfs-3g '" + image_ + "' '" + root_ + "'")) {
                    mounted_ = true;
                }
                break;
        }
        if (!mounted_ && why_.empty())
            why_ = "the filesystem could not be mounted here";
    }

    ~ForeignFilesystem() {
        if (mounted_)
            Run("umount '" + root_ + "' || fusermount -u '" + root_ + "'");
        if (!loop_.empty())
            Run("losetup -d '" + loop_ + "'");
    }

    ForeignFilesystem(const ForeignFilesystem&) = delete;
    ForeignFilesystem& operator=(const ForeignFilesystem&) = delete;

    bool mounted() const { return mounted_; }
    // mounted(), and when not, a line on the test's output that tells the case skipped
    // and why: for loops over filesystems, where one that cannot be mounted is passed by.
    bool mountedOrSkipped(const std::string& caseName = {}) const {
        if (!mounted_) {
            std::printf("[ skipped  ] %s%s cannot be mounted: %s\n",
                        caseName.empty() ? "" : (caseName + ": ").c_str(), name(), why_.c_str());
        }
        return mounted_;
    }
    const std::string& why() const { return why_; }
    const std::string& root() const { return root_; }
    const char* name() const {
        switch (kind_) {
            case Kind::ExFat:
                return "exfat-fuse";
            case Kind::Fat:
                return "fusefat";
            case Kind::Ntfs:
                return "ntfs-3g";
        }
        return "";
    }

private:
    static bool Run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    static bool Has(const std::string& program) {
        return Run("command -v " + program) || Run("test -x /usr/sbin/" + program) ||
               Run("test -x /sbin/" + program);
    }

    // exfat-fuse run by root wants a block device.
    void MountExFat() {
        if (!Has("mkfs.exfat") || !Has("mount.exfat-fuse") || !Has("losetup")) {
            why_ = "install Debian's exfatprogs and exfat-fuse";
            return;
        }
        if (!Run("mkfs.exfat '" + image_ + "'"))
            return;
        FILE* pipe = popen(("losetup -f --show '" + image_ + "' 2>/dev/null").c_str(), "r");
        if (!pipe)
            return;
        char line[256] = {};
        if (fgets(line, sizeof line, pipe))
            loop_ = line;
        pclose(pipe);
        while (!loop_.empty() && (loop_.back() == '\n' || loop_.back() == ' '))
            loop_.pop_back();
        if (loop_.empty()) {
            why_ = "no loop device here";
            return;
        }
        mounted_ = Run("mount.exfat-fuse '" + loop_ + "' '" + root_ + "'");
    }

    Kind kind_;
    std::string root_;
    std::string image_;
    std::string loop_;
    std::string why_;
    bool mounted_ = false;
};

}  // namespace brindle::testing
