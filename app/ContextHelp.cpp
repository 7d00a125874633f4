#include "app/ContextHelp.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <QApplication>

#include <QStyle>

#include "app/OptionBindings.h"
#include "balloon/BalloonOptions.h"
#include "balloon/BalloonWnd.h"
#include "engine/OptionTable.h"

namespace {

struct TableString {
    int id;
    const char16_t* text;
};

// Sorted by id.
constexpr TableString kStrings[] = {
    {125, u"Exit"},
    {128, u"Click this button to close the program"},
    {129, u"Undo"},
    {130,
     u"Click this button, when you want to reverse all changes to the file.\nThis option will work "
     u"only if the Write Log File was checked before renaming"},
    {131, u"Choose Folder"},
    {132,
     u"Click this button if you want to add all files in the choosen directory.\nYou also can "
     u"Drag'n'Drop files to the application"},
    {133, u"Scan Subfolders"},
    {134, u"Recursive function to scan subfolders for files to rename"},
    {135, u"Read Only"},
    {136, u"Check this box if you Don't want to\nrename files if \"Read Only\" flag is active"},
    {137, u"Open/Close Log"},
    {138, u"You need to uncheck this box to close the \"Output Log\""},
    {139, u"Only Log"},
    {140, u"Check this box if you want to see\nwhat changes will be made to the target files"},
    {141, u"Delete Contents"},
    {142,
     u"Delete contents of the \"Output Log\".\nThis check box also will reset the:\nTotal Files, "
     u"Changed Files, Average Input Length\nand Exceptions messages"},
    {143, u"Write log file"},
    {144,
     u"Temporaly this check box will write the Undo file.\nYou can undo all written changes by "
     u"pressing the \"Undo\" button"},
    {145, u"Rename Dir"},
    {146,
     u"With this check box \"Enabled\" you can also rename dirs.\nThis option work only in the "
     u"Drag'n'Drop Mode"},
    {147, u"Reset Counters"},
    {148,
     u"This check box will Reset \"/N\" and \"/C\" counters.\n In the \"File Name Creator\" mode"},
    {149, u"Starting Index"},
    {150, u"You can specify the starting number\nfor the \"Name pattern\" mode"},
    {151, u"Name pattern"},
    {152,
     u"In this field you can specify create new name of the target file:\n<char> - Simply add "
     u"<char> to the file name\n/<num> - Add one dight 1->2->3... (Use \"Starting index\" to add "
     u"specific value)\n<num> - number, one digit. Example: /3 -> 000->001->002...\n/C - Append "
     u"one char a->b->c... (Only Lower and English chars)\n/O - Append the old file name (without "
     u"Extension)\n/D - Append parent directory name\n\tMP3 ID3 v1.0 Tag (Working if file "
     u"extension is .mp3)\n\\N - Append Track Number\n\\A - Append Artist Name\n\\C - Append Album "
     u"Name\n\\T - Append Title of the Song\n\tDates, and values inside files: the {...} button "
     u"lists them\n{modified} {created} {now} {taken} - Modified, created, batch start, photo "
     u"taken\n{now:%Y%m%d} - Format: %Y %y %m %d %e %H %M %S %j %a %A %b %B %p %% %f "
     u"%z\n{taken|modified} - The first with a value; none: nothing (the Preview "
     u"warns)\n{exif.make} .model .lens .iso .fnumber .exposure .focal .width .height, "
     u"{exif:KEY}\n{tag.artist} .albumartist .album .title .track .disc .year .genre .composer, "
     u"{tag.track:2}"},
    {153, u"File Type"},
    {154,
     u"Move files with selected extension to the upper dir.\nIf you want add more than\none "
     u"extension, than write the \",\" symbol.\nExample: .exe,.bat,.com"},
    {155, u"Force 63"},
    {156, u"Specify the number of symbols\nfor the \"Force 63\" check box"},
    {157,
     u"Cut symbols from the target file(s)\nthat exeeds cutted value.\nMin allowed 4 symbols "
     u"(eXtension)"},
    {158, u"Without file eXtension"},
    {159, u"This check box will help to avoid eXtension replacing"},
    {160, u"Only English"},
    {161,
     u"Choose the method from the drop down box.\nEnglish - Will replace all Russian symbols to "
     u"their English equivalent\n\tExample: ??? ???? (A)[!].zip -> Moi Fail (A)[!].zip\nSymbols - "
     u"Will replace all nonLetter symbols\n\tExample: My File (A)[!].zip -> My_File_A.zip\nCustom "
     u"- You can specify your own data to the [custom] section of the Brindle.ini file"},
    {162, u"Dublicate Extension"},
    {163,
     u"This check box will remove additional or dublicate extensions.\nThis is usefull, when you "
     u"have a bunch of files from GerRight.\nExample: My File (A)[!].zip.GetRight -> My File "
     u"(A)[!].zip"},
    {164, u"# of Symbols"},
    {165,
     u"With this box checked\nyou can see the # of symbols\nof the output (input) file\nExample: "
     u"My File (A)[!].zip -> 19"},
    {166, u"Replace what\\with"},
    {167, u"What to find an replace\nin the targer file name"},
    {168, u"Upper Letter"},
    {169,
     u"Convert first letter of each word to Upper Case\nExample: my _file (A)[!].zip -> My _File "
     u"(A)[!].zip"},
    {170, u"Lower Letter"},
    {171,
     u"Convert first letter of each word to Lower Case\nExample: MY _FILE (A)[!].zip -> mY _fILE "
     u"(A)[!].zip"},
    {172, u"Reverse"},
    {173, u"Reverse the name of the file\n Example: My File (A)[!].zip -> piz.]![)A( eliF yM"},
    {174, u"To Upper Case"},
    {175, u"Convert all symbols to Upper Case\nExample: My File (A)[!].zip -> MY FILE (A)[!].zip"},
    {176, u"To Lower Case"},
    {177, u"Convert all symbols to Lower Case\nExample: My File (A)[!].zip -> my file (a)[!].zip"},
    {178, u"Reverse Letter"},
    {179,
     u"Reverse the case of each letter in the target file\nExample: My File (A)[!].zip -> mY fILE "
     u"(a)[!].ZIP"},
    {180, u"No Conversion"},
    {181, u"Will do nothing"},
    {182, u"Preview Names"},
    {183,
     u"Opens the Preview: the new name of every item of a folder (choose it there,\nor drop "
     u"files and folders on it), following every option as you change it,\nwith each conflict "
     u"marked before anything is renamed.\nIts \"Rename\" button renames them as \"Choose "
     u"Folder\" does"},
    {184, u"Regular Expression"},
    {185,
     u"\"Replace what\" in Perl's syntax: (\\d+), (?<name>...), (?i)\n"
     u"\"with\": $1 or ${1} a group, ${name} a named one, $0 all\n"
     u"Example: ^IMG_(\\d+) with Photo-$1: IMG_7.jpg -> Photo-7.jpg"},
    {186, u"Insert a token"},
    {187,
     u"Opens a menu of the tokens the name pattern knows: dates, camera data\nand music "
     u"tags. The one you choose goes into the \"Name pattern\"\nwhere its cursor was"},
};

using brindle::options::HelpIds;

// The controls that hold no option: the buttons.
constexpr std::pair<int, HelpIds> kOtherControls[] = {
    {ids::kChooseFolder, {131, 132}}, {ids::kExit, {125, 128}},        {ids::kUndo, {129, 130}},
    {ids::kPreview, {182, 183}},      {ids::kTokenButton, {186, 187}},
};

// The help of the control with this id: its option's (or its value's, for a radio
// button), or a button's.
std::optional<HelpIds> HelpIdsFor(int controlId) {
    for (const OptionBinding& binding : kOptionBindings) {
        const brindle::options::Option* row = brindle::options::FindOption(binding.key);
        if (row == nullptr)
            continue;
        if (binding.control == controlId && row->help.title != 0)
            return row->help;
        for (std::size_t i = 0; i < binding.valueControls.size() && i < row->choices.size(); ++i) {
            if (binding.valueControls[i] == controlId)
                return row->choices[i].help;
        }
    }
    for (const auto& [control, help] : kOtherControls)
        if (control == controlId)
            return help;
    return std::nullopt;
}

}  // namespace

QString LoadHelpString(int stringId) {
    const auto found = std::find_if(std::begin(kStrings), std::end(kStrings),
                                    [stringId](const TableString& s) { return s.id == stringId; });
    if (found == std::end(kStrings))
        return {};
    return QString::fromUtf16(found->text);
}

std::optional<ContextHelpTexts> ContextHelpFor(int controlId) {
    const std::optional<HelpIds> help = HelpIdsFor(controlId);
    if (!help)
        return std::nullopt;
    return ContextHelpTexts{help->title, help->text, LoadHelpString(help->title),
                            LoadHelpString(help->text)};
}

void ShowContextHelpBalloon(const QString& title, const QString& text, const QPoint& globalPos,
                            brindle::BalloonServices* services) {
    brindle::CBalloonWnd::Launch(title, text, globalPos, QStyle::SP_MessageBoxInformation,
                                 brindle::BH_CLOSE_ON_MOUSE_MOVE | brindle::BH_DELAY_CLOSE, nullptr,
                                 QString(), 100, services);
}

bool CloseContextHelpBalloons() {
    bool closed = false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* balloon = qobject_cast<brindle::CBalloonWnd*>(window);
        if (balloon == nullptr || !balloon->HasWindow() || !balloon->isVisible())
            continue;
        // The first request of a delayed balloon only arms its time-out; the second closes.
        balloon->RequestClose();
        balloon->RequestClose();
        closed = true;
    }
    return closed;
}
