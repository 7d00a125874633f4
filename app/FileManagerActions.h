#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/UserFiles.h"

namespace brindle {

// The actions that file managers read from the user's own folders, written by
// "brindle --install-file-manager-actions": a Nautilus script, and a Thunar custom action
// merged into the user's uca.xml. (The other file managers read theirs from the package's
// system folders.) Each runs the given program with --preview and the chosen items.

inline constexpr char16_t kNautilusScriptName[] = u"Rename with Brindle";
inline constexpr char kActionName[] = "Rename with Brindle...";
// How our Thunar action is found again among the user's.
inline constexpr char kThunarActionId[] = "brindle-rename-with-brindle";

// `text` as one word of the shell: in single quotes, a quote inside as '\''.
std::string ShellQuoted(std::string_view text);

// The script's text, running `program` (an absolute path, as the system's bytes).
std::string NautilusScript(std::string_view program);
// Our <action> element for uca.xml.
std::string ThunarAction(std::string_view program);

// uca.xml's new contents: `existing` (nullopt when there is none yet) with our action put
// in place of the one that has our unique-id, or added after the others; every other
// byte stays as it was. Nullopt when `existing` cannot be taken: then `mistake` says why.
std::optional<std::string> MergeThunarAction(const std::optional<std::string>& existing,
                                             std::string_view action, std::u16string& mistake);

// What the install did: the lines for standard output (what was written) and for standard
// error (what was not, and why), and the exit status: 0, or 2 when anything failed.
struct ActionsReport {
    std::u16string written;
    std::u16string problems;
    int status = 0;
};

// Writes the Nautilus script to $XDG_DATA_HOME/nautilus/scripts/ and our action into
// $XDG_CONFIG_HOME/Thunar/uca.xml, each in one step. A user without a uca.xml of their own
// starts from the system's (the first Thunar/uca.xml in $XDG_CONFIG_DIRS), which theirs
// then hides from Thunar. A uca.xml that is not well-formed XML is left as it is.
ActionsReport InstallFileManagerActions(std::u16string_view program,
                                        const UserEnvironment& environment);

}  // namespace brindle
