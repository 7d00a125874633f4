#include "app/QtText.h"

#include <QFile>

#include "platform/NameCodec.h"

std::u16string PathFromQt(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return brindle::DecodeName(
        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString PathToQt(const std::u16string& path) {
    return QFile::decodeName(QByteArray::fromStdString(brindle::EncodeName(path)));
}

std::u16string PathFromDroppedUrl(const QUrl& url) {
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return {};
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (bytes.isEmpty())
        return {};
    return brindle::DecodeName(
        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

std::vector<std::u16string> PathsFromDroppedUrls(const QList<QUrl>& urls) {
    std::vector<std::u16string> paths;
    for (const QUrl& url : urls)
        paths.push_back(PathFromDroppedUrl(url));
    return paths;
}
