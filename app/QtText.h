#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <string>
#include <vector>

// UTF-16 names cross into Qt unchanged: both sides hold UTF-16 code units, so the byte
// escapes of undecodable names survive the trip.
inline QString ToQString(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
inline std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

// A path Qt reports (the folder browser) as the program's name: re-encoded the way Qt
// encodes file names, then decoded with the name codec.
std::u16string PathFromQt(const QString& path);
// The other way: a path of the program's as Qt takes file names.
QString PathToQt(const std::u16string& path);

// One dropped URL as a path: a local file URL gives its path, its percent-encoded bytes
// decoded with the name codec (so a name that is not valid UTF-8 keeps its bytes); any
// other URL gives an empty path.
std::u16string PathFromDroppedUrl(const QUrl& url);

// Every dropped URL as a path, in order (an empty one for each that is no local file).
std::vector<std::u16string> PathsFromDroppedUrls(const QList<QUrl>& urls);
