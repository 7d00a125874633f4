#include "app/FileManagerActions.h"

#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/NameCodec.h"
#include "platform/TextFile.h"

namespace brindle {

namespace {

constexpr char16_t kScriptsFolder[] = u"/nautilus/scripts/";
constexpr char16_t kThunarFile[] = u"/Thunar/uca.xml";
constexpr char kXmlHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string XmlEscaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// Where the pieces of uca.xml lie, in UTF-16 offsets of its text.
struct ActionsLayout {
    // The root's end tag, or the whole root when it is written empty ("<actions/>").
    qint64 rootEndStart = -1;
    qint64 rootEndEnd = -1;
    bool emptyRoot = false;
    // Our <action> elements, whole.
    std::vector<std::pair<qint64, qint64>> ours;
};

// Where the tag that ends at `end` begins: no '<' can stand inside a tag.
qint64 TagStart(const QString& text, qint64 end) {
    return text.lastIndexOf(u'<', end - 1);
}

std::optional<ActionsLayout> Locate(const QString& text, std::u16string& mistake) {
    ActionsLayout layout;
    QXmlStreamReader reader(text);
    int depth = 0;
    qint64 actionStart = -1;
    qint64 rootStart = -1;
    qint64 rootStartEnd = -1;
    bool actionIsOurs = false;
    QString rootName;
    // The reader's offset is exact at the end of a tag, and only there: the text before a
    // tag is read ahead.
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        const qint64 end = reader.characterOffset();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) {
                rootName = reader.name().toString();
                rootStart = TagStart(text, end);
                rootStartEnd = end;
            } else if (depth == 2 && reader.name() == u"action") {
                actionStart = TagStart(text, end);
                actionIsOurs = false;
            } else if (depth == 3 && actionStart >= 0 && reader.name() == u"unique-id") {
                const QString id = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                actionIsOurs = actionIsOurs || id.trimmed() == QLatin1String(kThunarActionId);
                --depth;  // its end tag is read
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && actionStart >= 0 && reader.name() == u"action") {
                if (actionIsOurs)
                    layout.ours.emplace_back(actionStart, end);
                actionStart = -1;
            } else if (depth == 1) {
                // "<actions/>": the end is the start tag itself.
                layout.emptyRoot = end == rootStartEnd;
                layout.rootEndStart = layout.emptyRoot ? rootStart : TagStart(text, end);
                layout.rootEndEnd = end;
            }
            --depth;
        }
    }
    if (reader.hasError()) {
        mistake = u"it is not well-formed XML (line " +
                  QString::number(reader.lineNumber()).toStdU16String() + u", column " +
                  QString::number(reader.columnNumber()).toStdU16String() + u": " +
                  reader.errorString().toStdU16String() + u")";
        return std::nullopt;
    }
    if (rootName != u"actions") {
        mistake = u"it holds no Thunar actions (its root element is <" + rootName.toStdU16String() +
                  u">, not <actions>)";
        return std::nullopt;
    }
    return layout;
}

// The UTF-8 bytes before UTF-16 offset `at` of `text`.
std::size_t ByteOffset(const QString& text, qint64 at) {
    return static_cast<std::size_t>(text.left(at).toUtf8().size());
}

// `bytes` at `path`, its folder made first; the message of the failure, or nullopt.
std::optional<std::u16string> WriteFile(const std::u16string& path, std::string_view bytes,
                                        unsigned mode) {
    int error = CreateFolderFor(path);
    if (error == 0)
        error = ReplaceFileContents(path, bytes, mode);
    if (error == 0)
        return std::nullopt;
    return u"cannot write " + path + u": " + SystemErrorText(error);
}

// The system's Thunar actions, which a user without a file of their own sees: the first
// Thunar/uca.xml of the configuration folders.
std::optional<std::string> SystemThunarActions(const UserEnvironment& environment) {
    std::string folders = environment.xdgConfigDirs.value_or("");
    if (folders.empty())
        folders = "/etc/xdg";
    std::size_t from = 0;
    while (from <= folders.size()) {
        const std::size_t colon = std::min(folders.find(':', from), folders.size());
        const std::string folder = folders.substr(from, colon - from);
        from = colon + 1;
        if (folder.empty() || folder.front() != '/')
            continue;
        if (auto bytes = ReadFileBytes(DecodeName(folder) + kThunarFile))
            return bytes;
    }
    return std::nullopt;
}

}  // namespace

std::string ShellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string NautilusScript(std::string_view program) {
    return "#!/bin/sh\n"
           "# Opens Brindle's Preview over the files and folders chosen in Nautilus.\n"
           "# Written by \"brindle --install-file-manager-actions\", which writes it anew.\n"
           "exec " +
           ShellQuoted(program) + " --preview \"$@\"\n";
}

std::string ThunarAction(std::string_view program) {
    return std::string(
               "<action>\n"
               "\t<icon>brindle</icon>\n"
               "\t<name>") +
           kActionName +
           "</name>\n"
           "\t<submenu></submenu>\n"
           "\t<unique-id>" +
           kThunarActionId +
           "</unique-id>\n"
           "\t<command>" +
           XmlEscaped(ShellQuoted(program)) +
           " --preview %F</command>\n"
           "\t<description>Rename the chosen files and folders in Brindle's Preview</description>\n"
           "\t<range></range>\n"
           "\t<patterns>*</patterns>\n"
           "\t<directories/>\n"
           "\t<audio-files/>\n"
           "\t<image-files/>\n"
           "\t<other-files/>\n"
           "\t<text-files/>\n"
           "\t<video-files/>\n"
           "</action>";
}

std::optional<std::string> MergeThunarAction(const std::optional<std::string>& existing,
                                             std::string_view action, std::u16string& mistake) {
    if (!existing)
        return std::string(kXmlHeader) + "<actions>\n" + std::string(action) + "\n</actions>\n";
    const QString text =
        QString::fromUtf8(existing->data(), static_cast<qsizetype>(existing->size()));
    // Spliced as UTF-8, so that every byte outside our action stays as it was.
    if (!IsValidUtf8(*existing) || text.toUtf8().toStdString() != *existing) {
        mistake = u"it is not UTF-8 text";
        return std::nullopt;
    }
    const std::optional<ActionsLayout> layout = Locate(text, mistake);
    if (!layout)
        return std::nullopt;
    std::string merged;
    std::size_t copied = 0;
    const auto copyTo = [&](qint64 at) {
        const std::size_t end = ByteOffset(text, at);
        merged.append(*existing, copied, end - copied);
        copied = end;
    };
    const auto skipTo = [&](qint64 at) { copied = ByteOffset(text, at); };
    if (!layout->ours.empty()) {
        // In the place of the first; any further copy goes.
        for (std::size_t i = 0; i < layout->ours.size(); ++i) {
            copyTo(layout->ours[i].first);
            if (i == 0)
                merged += action;
            skipTo(layout->ours[i].second);
        }
    } else if (layout->emptyRoot) {
        copyTo(layout->rootEndStart);
        merged += "<actions>\n" + std::string(action) + "\n</actions>";
        skipTo(layout->rootEndEnd);
    } else {
        copyTo(layout->rootEndStart);
        merged += std::string(action) + "\n";
    }
    merged.append(*existing, copied);
    return merged;
}

ActionsReport InstallFileManagerActions(std::u16string_view program,
                                        const UserEnvironment& environment) {
    ActionsReport report;
    const auto fail = [&report](const std::u16string& problem) {
        report.problems += u"brindle: " + problem + u"\n";
        report.status = 2;
    };
    if (program.empty()) {
        fail(u"cannot find this program's own path");
        return report;
    }
    const std::string programBytes = EncodeName(program);

    const std::u16string dataHome = DataHomeFolder(environment);
    if (dataHome.empty()) {
        fail(
            u"cannot find the folder for Nautilus scripts: neither XDG_DATA_HOME nor HOME is "
            u"an absolute path");
    } else {
        const std::u16string script = dataHome + kScriptsFolder + kNautilusScriptName;
        if (auto problem = WriteFile(script, NautilusScript(programBytes), 0755))
            fail(*problem);
        else
            report.written += u"Wrote the Nautilus script " + script + u"\n";
    }

    const std::u16string configHome = ConfigHomeFolder(environment);
    if (configHome.empty()) {
        fail(
            u"cannot find the folder for Thunar's actions: neither XDG_CONFIG_HOME nor HOME is "
            u"an absolute path");
        return report;
    }
    const std::u16string uca = configHome + kThunarFile;
    int error = 0;
    std::optional<std::string> existing = ReadFileBytes(uca, &error);
    if (!existing && error != ENOENT) {
        fail(u"cannot read " + uca + u": " + SystemErrorText(error));
        return report;
    }
    if (!existing) {
        existing = SystemThunarActions(environment);
        std::u16string ignored;
        // A system file we cannot take is no reason to leave the user without the action.
        if (existing && !MergeThunarAction(existing, "", ignored))
            existing.reset();
    }
    std::u16string mistake;
    const std::optional<std::string> merged =
        MergeThunarAction(existing, ThunarAction(programBytes), mistake);
    if (!merged) {
        fail(uca + u" was left as it is: " + mistake);
        return report;
    }
    if (auto problem = WriteFile(uca, *merged, 0600)) {
        fail(*problem);
        return report;
    }
    report.written +=
        u"Wrote the Thunar action \"" + DecodeName(kActionName) + u"\" into " + uca + u"\n";
    return report;
}

}  // namespace brindle
