#pragma once

// Control identifiers of the main dialog, the Output Log and the command-line dialog. Each
// control carries its id as its object name, so context help and tests find it by id; the
// option bindings (OptionBindings.h) name each option's control by them.
namespace ids {

inline constexpr int kNoConversion = 1001;
inline constexpr int kToLowerCase = 1002;
inline constexpr int kToUpperCase = 1003;
inline constexpr int kReplaceWhat = 1004;
inline constexpr int kReplaceWith = 1005;
inline constexpr int kOnlyEnglish = 1006;
inline constexpr int kChooseFolder = 1008;
inline constexpr int kExit = 1009;
inline constexpr int kReverse = 1010;
inline constexpr int kUndo = 1011;
inline constexpr int kForce63 = 1012;
inline constexpr int kWithoutExtension = 1013;
inline constexpr int kOnlyLog = 1014;
inline constexpr int kReadOnly = 1015;
inline constexpr int kCountSymbols = 1016;
inline constexpr int kUpperLetter = 1017;
inline constexpr int kMethodLabel = 1018;
inline constexpr int kMethodList = 1019;
inline constexpr int kLowerLetter = 1020;
inline constexpr int kReverseLetter = 1021;
inline constexpr int kResetCounters = 1022;
inline constexpr int kDuplicateExtension = 1023;
inline constexpr int kDeleteContents = 1024;
inline constexpr int kShowLogWindow = 1025;
inline constexpr int kRenameDir = 1026;
inline constexpr int kForce63Length = 1027;
inline constexpr int kScanSubfolders = 1029;
inline constexpr int kWriteLogFile = 1030;
inline constexpr int kNamePattern = 1033;
inline constexpr int kStartIndex = 1034;
inline constexpr int kFileTypes = 1035;
inline constexpr int kForce63Spin = 1040;
inline constexpr int kStartIndexSpin = 134;
inline constexpr int kPreview = 1041;
// The line that names the options set beyond the main dialog's controls.
inline constexpr int kAlsoLine = 1042;
// The line under the buttons that says what the last batch or Undo did.
inline constexpr int kResultLine = 1043;
// At that line's end: the Undo History.
inline constexpr int kHistoryLink = 1044;
// Under the replace pair: "Replace what" is a regular expression.
inline constexpr int kRegularExpression = 1045;
// Right of the name pattern: the menu of tokens to put into it.
inline constexpr int kTokenButton = 1046;

// The Output Log's list and status line.
inline constexpr int kOutputList = 1015;
inline constexpr int kOutputStatus = 1028;

// The Preview window's list, summary line and buttons.
inline constexpr int kPreviewList = 1101;
inline constexpr int kPreviewSummary = 1102;
inline constexpr int kPreviewFolder = 1103;
inline constexpr int kPreviewChoose = 1104;
inline constexpr int kPreviewRename = 1105;
inline constexpr int kPreviewClose = 1106;
inline constexpr int kPreviewOnlyChanges = 1107;
inline constexpr int kPreviewShowSkipped = 1108;
// The Preview's Options panel; each of its controls has the panel's id plus its row's
// place among the options without a control in the main dialog, from 1.
inline constexpr int kOptionsPanel = 1120;

// Standard buttons of the command-line dialog.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

}  // namespace ids

// Name under which a control's id is stored as a dynamic property.
inline constexpr char kControlIdProperty[] = "controlId";
