#pragma once

namespace brindle {

// The application's name: the caption of every message box that gives none.
inline constexpr char16_t kApplicationName[] = u"Brindle";

// The program's own texts (string table), used exactly as they stand.
inline constexpr char16_t kTextErrorOpeningFile[] = u"Error opening file";                // 124
inline constexpr char16_t kTextDeleteLogQuestion[] = u"Do you want to delete Log file?";  // 126
inline constexpr char16_t kTextDeleteLogWarning[] =
    u"Are you sure that you want to delete Log file?";  // 127
inline constexpr char16_t kCaptionErrors[] = u"There was an error(s)!";
inline constexpr char16_t kTextEnterInteger[] = u"Please enter an integer.";
inline constexpr char16_t kTextReadOnly[] = u"(Read Only)";
inline constexpr char16_t kTextRenameFailed[] = u"(Unknown Error Aquired)";
inline constexpr char16_t kTitleWorking[] = u"Working...";
inline constexpr char16_t kTitleOutputLog[] = u"Output Log";
inline constexpr char16_t kTextChooseFolder[] = u"Choose the Dir with Target Files:";

// Texts of Brindle's own, beyond the string table.
inline constexpr char16_t kTextCannotReadFolder[] = u"cannot read folder";
inline constexpr char16_t kTextFolderRenameLosesContents[] =
    u"renaming a folder on fusefat loses its contents";

}  // namespace brindle
